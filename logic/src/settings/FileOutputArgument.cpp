#include "logic/FileOutputArgument.h"

#include "SettingsFileLog.h"
#include "logic/DataFiles.h"

namespace {
const wchar_t kSection[] = L"OUTPUT";
}

CFileOutputArgument::CFileOutputArgument(bool load) {
  if (load && Bind(GetOutputIniPath())) Read();
}

CFileOutputArgument::~CFileOutputArgument() { CFileOutputArgument::Write(); }

bool CFileOutputArgument::Bind(const std::wstring& path) {
  if (path.empty()) return false;
  EnsureDataFolder();
  logic::SetAsideDamagedSettings(path);
  SetFile(path.c_str());
  m_bound = true;
  return true;
}

bool CFileOutputArgument::Read() {
  BeginBatch();  // one reading of the file for every key
  const bool read = ReadOutput();
  EndBatch();
  return read;
}

bool CFileOutputArgument::Write() {
  if (!m_bound) return false;
  BeginBatch();
  const bool kept = WriteOutput();
  return logic::FinishSettingsSave(*this, kept);
}

bool CFileOutputArgument::ReadOutput() {
  // Whatever the record held before, every field starts from its default.
  CArgOutput fresh;
  m_arg = fresh;
  if (!m_bound) return true;
  SetSection(kSection);
  CArgOutput& a = m_arg;
  a.output_device = ReadInt(L"output_device", a.output_device);
  a.output_format = ReadInt(L"output_format", a.output_format);
  a.output_speaker_name = ReadString(L"output_speaker_name", a.output_speaker_name);
  a.output_speaker_id = ReadString(L"output_speaker_id", a.output_speaker_id);
  a.output_speaker_volume = ReadDouble(L"output_speaker_volume", a.output_speaker_volume);
  a.output_mic_name = ReadString(L"output_mic_name", a.output_mic_name);
  a.output_mic_id = ReadString(L"output_mic_id", a.output_mic_id);
  a.output_mic_volume = ReadDouble(L"output_mic_volume", a.output_mic_volume);
  a.output_dir = ReadString(L"output_dir", a.output_dir);
  a.output_open_split = ReadBool(L"output_open_split", a.output_open_split);
  a.output_split_time = ReadInt(L"output_split_time", a.output_split_time);
  a.output_samplerate = ReadInt(L"output_samplerate", a.output_samplerate);
  a.output_channel = ReadInt(L"output_channel", a.output_channel);
  a.output_quality = ReadDouble(L"output_quality", a.output_quality);
  a.output_id3_title = ReadString(L"output_id3_title", a.output_id3_title);
  a.output_id3_artist = ReadString(L"output_id3_artist", a.output_id3_artist);
  a.output_id3_date = ReadString(L"output_id3_date", a.output_id3_date);
  a.output_id3_album = ReadString(L"output_id3_album", a.output_id3_album);
  a.output_id3_genre = ReadString(L"output_id3_genre", a.output_id3_genre);
  return true;
}

bool CFileOutputArgument::WriteOutput() {
  if (!m_bound) return false;
  SetSection(kSection);
  const CArgOutput& a = m_arg;
  bool ok = true;
  ok &= WriteInt(L"output_device", a.output_device);
  ok &= WriteInt(L"output_format", a.output_format);
  ok &= WriteString(L"output_speaker_name", a.output_speaker_name.c_str());
  ok &= WriteString(L"output_speaker_id", a.output_speaker_id.c_str());
  ok &= WriteDouble(L"output_speaker_volume", a.output_speaker_volume);
  ok &= WriteString(L"output_mic_name", a.output_mic_name.c_str());
  ok &= WriteString(L"output_mic_id", a.output_mic_id.c_str());
  ok &= WriteDouble(L"output_mic_volume", a.output_mic_volume);
  ok &= WriteString(L"output_dir", a.output_dir.c_str());
  ok &= WriteInt(L"output_open_split", a.output_open_split ? 1 : 0);
  ok &= WriteInt(L"output_split_time", a.output_split_time);
  ok &= WriteInt(L"output_samplerate", a.output_samplerate);
  ok &= WriteInt(L"output_channel", a.output_channel);
  ok &= WriteDouble(L"output_quality", a.output_quality);
  ok &= WriteString(L"output_id3_title", a.output_id3_title.c_str());
  ok &= WriteString(L"output_id3_artist", a.output_id3_artist.c_str());
  ok &= WriteString(L"output_id3_date", a.output_id3_date.c_str());
  ok &= WriteString(L"output_id3_album", a.output_id3_album.c_str());
  ok &= WriteString(L"output_id3_genre", a.output_id3_genre.c_str());
  return ok;
}

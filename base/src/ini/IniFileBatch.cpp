#include <mutex>

#include "base/IniEngine.h"
#include "ini/IniEdits.h"
#include "ini/IniFile.h"

namespace base {

struct IniFileBatch::State {
  std::wstring file;
  ini::IniFileContent content;
  std::vector<ini::IniEdit> edits;
  std::wstring readProblem;  // kept for every Find of a file that could not be read
  mutable std::wstring problem;
};

IniFileBatch::IniFileBatch(std::wstring file) : m_state(std::make_unique<State>()) {
  m_state->file = std::move(file);
  std::lock_guard<std::mutex> lock(ini::EngineMutex());
  m_state->content = ini::LoadIniFile(m_state->file);
  const ini::IniFileStatus status = m_state->content.status;
  if (status == ini::IniFileStatus::kDamaged || status == ini::IniFileStatus::kUnreadable) {
    m_state->readProblem = m_state->content.problem + L"; defaults are used";
    m_state->content.document = ini::IniDocument();
  }
  m_state->problem = m_state->readProblem;
}

IniFileBatch::~IniFileBatch() = default;

bool IniFileBatch::Find(const std::wstring& section, const std::wstring& key, std::wstring& value) const {
  m_state->problem = m_state->readProblem;
  std::optional<std::wstring> found = m_state->content.document.Find(section, key);
  if (!found) return false;
  value = std::move(*found);
  return true;
}

bool IniFileBatch::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  ini::IniEdit edit{section, key, value};
  m_state->problem = ini::RefusalReason(edit);
  if (!m_state->problem.empty()) {
    m_state->problem = L"write to " + m_state->file + L" refused: " + m_state->problem;
    return false;
  }
  m_state->content.document.Set(section, key, value);
  m_state->edits.push_back(std::move(edit));
  return true;
}

bool IniFileBatch::Commit() {
  std::lock_guard<std::mutex> lock(ini::EngineMutex());
  std::vector<ini::IniEdit> edits;
  edits.swap(m_state->edits);
  if (edits.empty()) {
    m_state->problem.clear();
    return true;
  }
  return ini::ApplyEdits(m_state->file, edits, m_state->problem);
}

const std::wstring& IniFileBatch::problem() const { return m_state->problem; }

}  // namespace base

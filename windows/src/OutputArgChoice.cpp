#include "windows/OutputArgChoice.h"

#include <algorithm>

#include "audio/AudioFormatTable.h"
#include "audio/EncoderSettings.h"
#include "mediaconvert/MCCodecCaps.h"

int CorrectSampleRate(const std::vector<int>& rates, int rate) {
  if (rates.empty()) return rate;
  for (int r : rates)
    if (r >= rate) return r;
  return rates.back();
}

int FindQualityIndex(const std::vector<double>& options, double quality) {
  for (size_t i = 0; i < options.size(); ++i)
    if (options[i] == quality) return static_cast<int>(i);
  return -1;
}

int FindFormatIndex(const std::vector<int>& formatIds, int formatId) {
  auto it = std::find(formatIds.begin(), formatIds.end(), formatId);
  return it == formatIds.end() ? -1 : static_cast<int>(it - formatIds.begin());
}

OutputArgSelection CorrectOutputArg(CArgOutput& arg, const std::vector<int>& formatIds,
                                    const std::vector<double>& options, const std::vector<int>& rates) {
  OutputArgSelection sel;
  sel.format = FindFormatIndex(formatIds, arg.output_format);
  // A stored format the list lacks would leave the box showing one format
  // while the record names another: the first listed one is taken instead.
  if (sel.format < 0 && !formatIds.empty()) {
    sel.format = 0;
    arg.output_format = formatIds[0];
  }
  if (!options.empty()) {
    sel.quality = FindQualityIndex(options, arg.output_quality);
    if (sel.quality < 0) {
      sel.quality = 0;
      arg.output_quality = options[0];
    }
  }
  if (!rates.empty()) {
    arg.output_samplerate = CorrectSampleRate(rates, arg.output_samplerate);
    sel.rate = static_cast<int>(std::find(rates.begin(), rates.end(), arg.output_samplerate) - rates.begin());
  }
  return sel;
}

void FitToRecordedChoice(CArgOutput& arg, const std::vector<double>& options) {
  const RecordChoice real = FitRecordChoice(arg.output_format, arg.output_quality, arg.output_samplerate,
                                            arg.output_channel);
  arg.output_samplerate = real.sampleRate;
  if (FindQualityIndex(options, real.quality) >= 0) arg.output_quality = real.quality;
}

std::vector<int> SampleRatesOfFormat(int formatId) {
  const char* encoder = GetEncoderName(formatId);
  if (!encoder) return {};
  std::vector<int> rates = MCGetEncoderSampleRates(encoder);
  std::sort(rates.begin(), rates.end());
  return rates;
}

std::vector<double> QualityValuesOfFormat(int formatId) { return GetOptionValues(GetFormatById(formatId)); }

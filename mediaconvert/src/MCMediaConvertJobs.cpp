// The job kinds beside the plain conversion: merge, cut, segment and title
// page. Each checks its arguments before any machine or file exists, then
// runs in the common frame with its own hook.

#include <limits>

#include "mediaconvert/MCDeMuxer.h"
#include "mediaconvert/MCLog.h"
#include "mediaconvert/MCMediaConvert.h"

int MCMediaConvert::Refuse(const char* function) {
  delete machine_;
  machine_ = nullptr;
  delete hook_;
  hook_ = nullptr;
  jobError_.SetError(AVERROR(EINVAL), function);
  MCLogPrintf("%s%s\n", jobError_.message.c_str(), jobError_.function.c_str());
  return jobError_.code;
}

int MCMediaConvert::Merge(const std::vector<std::string>& inputs, const char* output, const MCConvertParam& p,
                          int refIndex, const char* logPath) {
  if (inputs.empty() || refIndex < 0 || refIndex >= static_cast<int>(inputs.size())) {
    return Refuse("MCMediaConvert::Merge");
  }
  const int64_t endTime = p.ranges.empty() ? std::numeric_limits<int64_t>::max() : p.ranges[0].end;
  auto* hook = new MergeHook(this, inputs, output ? output : "", endTime);
  return RunJob(inputs[refIndex].c_str(), output, p, logPath, hook);
}

int MCMediaConvert::Cut(const char* input, const char* output, const MCConvertParam& p) {
  if (p.ranges.empty()) return Refuse("MCMediaConvert::Cut");
  return RunJob(input, output, p, nullptr, new CutHook(this, p.ranges));
}

int MCMediaConvert::Segment(const char* input, const char* folder, const char* extension, void* context,
                            MCSegmentNameFunction nameFunction, const MCConvertParam& p) {
  if (p.ranges.empty() || input == nullptr) return Refuse("MCMediaConvert::Segment");
  // An open end is the input's end, in the names as in the cuts.
  std::vector<MCTimeRange> ranges = p.ranges;
  MCDeMuxerBase probe;
  if (probe.InitDeMuxer(input, nullptr) == 0 && probe.Context()->duration > 0) {
    const AVFormatContext* in = probe.Context();
    const int64_t end = (in->start_time != AV_NOPTS_VALUE ? in->start_time : 0) + in->duration;
    for (MCTimeRange& r : ranges) {
      if (r.end == std::numeric_limits<int64_t>::max()) r.end = end;
    }
  }
  auto* hook = new SegMentHook(this, ranges, folder ? folder : "", extension ? extension : "mp4", context,
                               nameFunction);
  // The hook names each output before its machine starts, the first one
  // included: the name function is called once per range.
  return RunJob(input, "", p, nullptr, hook);
}

int MCMediaConvert::TitlePage(const char* input, const char* output, const MCConvertParam& p) {
  if (p.title.sourcePath.empty() || p.title.titleLength < 0) return Refuse("MCMediaConvert::TitlePage");
  return RunJob(input, output, p, nullptr, new TitlePageHook(this, p.title));
}

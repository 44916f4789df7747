#pragma once
// The video leg of a conversion: pictures through a filter graph built from
// the job's stream settings, handed out in the encoder's size and pixel
// format at a constant frame rate.

#include <string>
#include <vector>

#include "mediaconvert/MCConvertParam.h"
#include "mediaconvert/MCSubtitleInput.h"

class IVideoFilterInit {
 public:
  virtual ~IVideoFilterInit() = default;
  virtual int BuildFilterGraph(AVFilterGraph** graph, AVFilterContext** source, AVFilterContext** sink) = 0;
};

// A font chosen by its family name through fontconfig ("Noto Sans CJK SC").
struct MCFontName {
  std::string family;
};

// A single chain of filters from the buffer source to the sink; every
// builder appends after the chain end.
class MCVideoFilterGraph {
 public:
  explicit MCVideoFilterGraph(IVideoFilterInit* init) : init_(init) {}
  ~MCVideoFilterGraph();
  MCVideoFilterGraph(const MCVideoFilterGraph&) = delete;
  MCVideoFilterGraph& operator=(const MCVideoFilterGraph&) = delete;

  int Build(int width, int height, AVRational timeBase);
  int AddFilter(const char* filter, const char* name, const std::string& args);
  int AddCrop(int w, int h, int x, int y);
  int AddPictureOverlay(const std::string& path, int w, int h, int x, int y);
  int AddWatermark(const std::string& path, int height, const std::string& position);
  int AddPad(int w, int h, int x, int y);
  int AddScale(int w, int h);
  int AddRotation(double angle);
  // White text of `size` pixels with its top left at (x, y), in the font
  // of a file or of a family name. The text is drawn as it stands: no
  // escapes and no %{...} expansion.
  int AddText(const std::string& text, const std::string& fontFile, int size, int x, int y);
  int AddText(const std::string& text, const MCFontName& font, int size, int x, int y);
  // Text subtitles through the "subtitles" filter; bitmap ones drawn on a
  // canvas that an overlay lays over the picture.
  int AddSubtitles(const std::string& path, int width, int height, AVRational sampleAspect);
  int AddPalette(const std::string& palettePath);
  int Finish();
  // The main picture, then each bitmap subtitle whose time has come.
  int SendFrame(AVFrame* frame);

  AVFilterContext* Sink() const { return sink_; }
  bool Configured() const { return configured_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The exact filter texts of the graph, for checks.
  std::string Describe() const;

 private:
  // A bitmap subtitle file and the buffer source its canvases enter by.
  struct SubtitleFeed {
    MCSubtitleInput* input = nullptr;
    AVFilterContext* source = nullptr;
    int64_t shownEnd = -1;  // microseconds; -1 before the first subtitle
    bool ended = false;
  };

  std::string NextName(const char* kind);
  int AddDrawText(const std::string& text, const char* fontKey, const std::string& font, int size, int x, int y);
  int AddOverlayChain(const std::string& path, const std::string& scaleArgs, const std::string& overlayArgs);
  int AddBitmapSubtitles(MCSubtitleInput* input, int width, int height, AVRational sampleAspect);
  int FeedSubtitles(SubtitleFeed& feed, int64_t t);

  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  AVRational timeBase_{1, 90000};
  bool configured_ = false;
  int counter_ = 0;
  IVideoFilterInit* init_;
  AVFilterGraph* graph_ = nullptr;
  AVFilterContext* end_ = nullptr;
  std::vector<SubtitleFeed> subtitles_;
};

// Escapes ':', '\' and the quote "'" for a filter argument, so that a
// file name reaches the filter as it stands.
std::string MCEscapeFilterArg(const std::string& text);

class MCIImageConvert {
 public:
  virtual ~MCIImageConvert() = default;
  virtual int Init(AVCodecContext* decoder, AVCodecContext* encoder, int64_t startPts) = 0;
  virtual int SendFrameConvert(AVFrame* frame) = 0;
  virtual int GetFrameConvert(AVFrame* frame) = 0;
  MCErrorInfo error_;
};

class MCImageConvertBase : public MCIImageConvert, public IVideoFilterInit {
 public:
  explicit MCImageConvertBase(const MCStreamSetup& setup) : setup_(setup) {}
  ~MCImageConvertBase() override;

  int Init(AVCodecContext* decoder, AVCodecContext* encoder, int64_t startPts) override;
  int SendFrameConvert(AVFrame* frame) override;
  int GetFrameConvert(AVFrame* frame) override;
  int BuildFilterGraph(AVFilterGraph** graph, AVFilterContext** source, AVFilterContext** sink) override;
  int ConfigureFilter();

  MCStreamSetup& Setup() { return setup_; }
  const MCVideoFilterGraph* Graph() const { return graph_; }

 private:
  int64_t IndexOf(int64_t pts) const;

  MCStreamSetup setup_;
  int inHeight_ = 0;
  int inWidth_ = 0;
  AVFrame* current_ = nullptr;
  AVFrame* next_ = nullptr;
  int inFormat_ = 0;
  AVRational frameRate_{0, 1};
  AVRational inTimeBase_{0, 1};
  AVRational sampleAspect_{0, 1};
  int outHeight_ = 0;
  int outWidth_ = 0;
  int outFormat_ = 0;
  MCVideoFilterGraph* graph_ = nullptr;
  bool interlaced_ = false;
  bool currentSent_ = false;
};

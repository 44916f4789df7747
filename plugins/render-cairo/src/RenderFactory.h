// The render factory the plug-in's SCreateInstance hands out.
#pragma once

#include "Objects.h"

class RenderFactory final : public TObjRefImpl<IRenderFactory> {
 public:
  IImgDecoderFactory* GetImgDecoderFactory() override { return decoder_.get(); }
  void SetImgDecoderFactory(IImgDecoderFactory* factory) override { decoder_.Reset(factory); }
  BOOL CreateRenderTarget(IRenderTarget** out, int width, int height) override;
  BOOL CreateFont(IFont** out, const tagLOGFONTW& lf) override;
  BOOL CreateBitmap(IBitmap** out) override;
  BOOL CreateRegion(IRegion** out) override;
  BOOL CreatePath(IPath** out) override;

 private:
  RefPtr<IImgDecoderFactory> decoder_;
};

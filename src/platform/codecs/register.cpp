#include "codecs/register.h"

#include "codecs/audio_decoder_filter.h"
#include "codecs/ffmpeg_log.h"
#include "codecs/video_decoder_filter.h"

#include "dshow/uuids.h"

void RegisterCodecClasses() {
  codecs::RouteFfmpegLog();
  CoRegisterClassFactory(CLSID_MpegVideoDecoder, &codecs::VideoDecoderFilter::Create);
  CoRegisterClassFactory(CLSID_DvdAudioDecoder, &codecs::AudioDecoderFilter::Create);
}

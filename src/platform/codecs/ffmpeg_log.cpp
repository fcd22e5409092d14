#include "codecs/ffmpeg_log.h"

#include "com/log.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <cstdarg>
#include <map>
#include <mutex>
#include <string>

namespace codecs {
namespace {

std::mutex countLock;
std::map<const AVCodecContext *, int> counts;

const AVCodecContext *AsDecoder(void *avcl) {
  if (!avcl) return nullptr;
  const AVClass *cls = *static_cast<const AVClass *const *>(avcl);
  return cls == avcodec_get_class() ? static_cast<const AVCodecContext *>(avcl) : nullptr;
}

// "mpeg2video video stream", or the library's own name for what is not a decoder.
std::string Source(void *avcl, const AVCodecContext *ctx) {
  if (ctx) {
    const char *type = av_get_media_type_string(ctx->codec_type);
    return std::string(ctx->codec ? ctx->codec->name : "decoder") + " " + (type ? type : "") + " stream";
  }
  if (avcl) return (*static_cast<const AVClass *const *>(avcl))->item_name(avcl);
  return "ffmpeg";
}

void Route(void *avcl, int level, const char *fmt, va_list args) {
  level &= 0xff;
  const bool warning = level <= AV_LOG_WARNING;
  if (!warning && (level > AV_LOG_VERBOSE || !lcDecode().isDebugEnabled())) return;
  if (warning && !lcDecode().isWarningEnabled() && !lcDecode().isDebugEnabled()) return;
  // The library may give one line in pieces; each thread gathers its own.
  thread_local std::string pending;
  char piece[1024];
  int noPrefix = 0;
  va_list copy;
  va_copy(copy, args);
  av_log_format_line2(avcl, level, fmt, copy, piece, sizeof piece, &noPrefix);
  va_end(copy);
  pending += piece;
  if (pending.empty() || pending.back() != '\n') return;
  while (!pending.empty() && (pending.back() == '\n' || pending.back() == '\r')) pending.pop_back();
  const std::string text = std::move(pending);
  pending.clear();
  if (text.empty()) return;

  const AVCodecContext *ctx = AsDecoder(avcl);
  const std::string source = Source(avcl, ctx);
  if (warning)
    qCWarning(lcDecode, "%s: %s", source.c_str(), text.c_str());
  else
    qCDebug(lcDecode, "%s: %s", source.c_str(), text.c_str());
  if (ctx && level <= AV_LOG_ERROR) {
    int n = 0;
    {
      std::lock_guard g(countLock);
      n = ++counts[ctx];
    }
    qCDebug(lcDecode, "%s: %d decode errors so far", source.c_str(), n);
  }
}

} // namespace

void RouteFfmpegLog() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_callback(Route); });
}

int DecodeErrors(const AVCodecContext *ctx) {
  std::lock_guard g(countLock);
  auto it = counts.find(ctx);
  return it == counts.end() ? 0 : it->second;
}

void ForgetDecodeErrors(const AVCodecContext *ctx) {
  int n = 0;
  {
    std::lock_guard g(countLock);
    auto it = counts.find(ctx);
    if (it == counts.end()) return;
    n = it->second;
    counts.erase(it);
  }
  const char *name = ctx && ctx->codec ? ctx->codec->name : "decoder";
  qCDebug(lcDecode, "%s: %d decode errors in all", name, n);
}

} // namespace codecs

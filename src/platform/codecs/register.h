// Registers the decoder classes (CLSID_MpegVideoDecoder, CLSID_DvdAudioDecoder) with
// the class registry. Safe to call more than once.
#pragma once

void RegisterCodecClasses();

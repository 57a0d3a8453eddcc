#pragma once

#include "calls/AudioProcessSource.h"
#include "capture/Capture.h"
#include "capture/MediaInspector.h"
#include "screen/ScreenContentSource.h"

#include <memory>

// The one place that picks the Linux adapter of each port.
namespace murva::Adapters {

// Process-wide set-up: FFmpeg's libraries keep quiet on standard error. Call once at start.
void install();

// The desktop's windows, displays and programs on X11.
std::shared_ptr<ScreenContentSource> screenContent();

// Sound from PulseAudio, pictures from X11 (only with video), an MP4 file.
CapturePorts capturePorts(bool withVideo);

// The programs using sound, from PulseAudio (or PipeWire's pulse server).
std::unique_ptr<AudioProcessSource> audioProcesses();

// Reads recordings back.
std::unique_ptr<MediaInspector> mediaInspector();

} // namespace murva::Adapters

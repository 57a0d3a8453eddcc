#include "Adapters.h"

#include "media/LibavMediaInspector.h"
#include "media/Mp4Writer.h"
#include "picture/X11PictureCapture.h"
#include "pulse/PulseAudioProcesses.h"
#include "pulse/PulseSoundCapture.h"
#include "x11/X11ScreenContent.h"

extern "C" {
#include <libavutil/log.h>
}

namespace murva::Adapters {

void install()
{
    // x264 and the muxer print statistics for every file; only errors belong on stderr.
    av_log_set_level(AV_LOG_ERROR);
}

std::shared_ptr<ScreenContentSource> screenContent()
{
    return std::make_shared<X11ScreenContent>();
}

CapturePorts capturePorts(bool withVideo)
{
    CapturePorts ports;
    ports.sound = std::make_unique<PulseSoundCapture>();
    if (withVideo) {
        ports.picture = std::make_unique<X11PictureCapture>();
    }
    ports.writer = std::make_unique<Mp4Writer>();
    return ports;
}

std::unique_ptr<AudioProcessSource> audioProcesses()
{
    return std::make_unique<PulseAudioProcesses>();
}

std::unique_ptr<MediaInspector> mediaInspector()
{
    return std::make_unique<LibavMediaInspector>();
}

} // namespace murva::Adapters

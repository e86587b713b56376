// The korvant_gst module: the program's media player over GStreamer.
#include "platform/gst/gst_module.h"
#include "platform/gst/gst_media_player.h"

extern "C" Q_DECL_EXPORT platform::MediaPlayer*
korvant_gst_create_player(const char* audioSinkDescription) {
    return new platform::GstMediaPlayer(QString::fromUtf8(audioSinkDescription));
}

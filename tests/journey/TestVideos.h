// Test videos made with GStreamer's test sources: a white ball moving over a blue ground (so
// that a frame on the screen is told from a black pane) with a tone, at a given picture
// size, in AVI (Motion JPEG, MP3) or Matroska (VP8, Vorbis).
#pragma once

#include "support/Xvfb.h"

#include <QFile>
#include <QString>

inline bool MakeTestVideo(const QString& path, int width, int height, int seconds) {
    const int fps = 10;
    bool mkv = path.endsWith(QStringLiteral(".mkv"), Qt::CaseInsensitive);
    QString pipeline =
        QStringLiteral("videotestsrc pattern=ball background-color=0xff2050c0 num-buffers=%1 ! "
                       "video/x-raw,width=%2,height=%3,framerate=%4/1 ! ")
            .arg(seconds * fps)
            .arg(width)
            .arg(height)
            .arg(fps) +
        (mkv ? QStringLiteral("vp8enc deadline=1 ! matroskamux name=m ! filesink location=\"%1\" ")
             : QStringLiteral("jpegenc quality=60 ! avimux name=m ! filesink location=\"%1\" "))
            .arg(path) +
        QStringLiteral("audiotestsrc wave=sine num-buffers=%1 samplesperbuffer=4410 ! "
                       "audio/x-raw,rate=44100,channels=2 ! audioconvert ! ")
            .arg(seconds * 10) +
        (mkv ? QStringLiteral("vorbisenc ! m.") : QStringLiteral("lamemp3enc ! m."));
    int rc = 0;
    RunTool(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("gst-launch-1.0 -q ") + pipeline}, &rc, 120000);
    return rc == 0 && QFile(path).size() > 0;
}

#include "Speech.h"

#include "support/Files.h"
#include "support/PrivateServers.h"

#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace murva::test {
namespace {

QString makeSpeech()
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("speech.wav"));
    const bool made = runTool(QStringLiteral("espeak-ng"),
                              {QStringLiteral("-w"), path, QStringLiteral("Hello, this is a test of the meeting recorder.")});
    return made ? path : QString();
}

// The first sample above a tenth of full scale in a 16-bit mono WAV file.
double firstLoudSec(const QString &path)
{
    const QByteArray bytes = readFile(path);
    const qsizetype data = bytes.indexOf("data");
    if (data < 0 || bytes.size() < 28) {
        return 0;
    }
    std::uint32_t rate = 0;
    std::memcpy(&rate, bytes.constData() + 24, sizeof rate);
    for (qsizetype at = data + 8; at + 1 < bytes.size(); at += 2) {
        std::int16_t sample = 0;
        std::memcpy(&sample, bytes.constData() + at, sizeof sample);
        if (std::abs(int(sample)) > 3277) {
            return rate ? double((at - data - 8) / 2) / rate : 0;
        }
    }
    return 0;
}

} // namespace

QString speechFile()
{
    static const QString path = makeSpeech();
    return path;
}

double speechLeadSec()
{
    static const double lead = firstLoudSec(speechFile());
    return lead;
}

} // namespace murva::test

#include "RecorderProcess.h"

#include "SoundTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace murva::test {
namespace {
constexpr std::int64_t nsPerSec = 1'000'000'000;

std::int64_t deadlineAfter(double seconds)
{
    return monotonicNowNs() + std::int64_t(seconds * nsPerSec);
}
} // namespace

RecorderProcess::RecorderProcess(const QStringList &arguments, const QProcessEnvironment &environment)
{
    process_.setProcessEnvironment(environment);
    startedNs_ = monotonicNowNs();
    process_.start(QStringLiteral(MURVA_RECORDER), arguments);
    process_.waitForStarted(5000);
}

RecorderProcess::~RecorderProcess()
{
    kill();
}

void RecorderProcess::kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool RecorderProcess::readSome(std::int64_t deadlineNs)
{
    const auto leftMs = std::max<std::int64_t>(0, (deadlineNs - monotonicNowNs()) / 1'000'000);
    if (!process_.canReadLine() && process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(int(std::min<std::int64_t>(leftMs, 200)));
    }
    const std::int64_t nowNs = monotonicNowNs();
    bool got = false;
    while (process_.canReadLine()) {
        lines_.push_back({QString::fromUtf8(process_.readLine()).chopped(1), nowNs});
        got = true;
    }
    errors_ += process_.readAllStandardError();
    return got;
}

std::optional<RecorderProcess::Line> RecorderProcess::waitForLine(const QString &prefix, double limitSec)
{
    const std::int64_t deadlineNs = deadlineAfter(limitSec);
    std::size_t looked = 0;
    for (;;) {
        for (; looked < lines_.size(); ++looked) {
            if (lines_[looked].text.startsWith(prefix)) {
                return lines_[looked];
            }
        }
        if (monotonicNowNs() > deadlineNs
            || (process_.state() == QProcess::NotRunning && !process_.canReadLine())) {
            return std::nullopt;
        }
        readSome(deadlineNs);
    }
}

bool RecorderProcess::waitForExit(double limitSec)
{
    const std::int64_t deadlineNs = deadlineAfter(limitSec);
    while (process_.state() != QProcess::NotRunning && monotonicNowNs() < deadlineNs) {
        readSome(deadlineNs);
    }
    process_.waitForFinished(0);
    readSome(deadlineNs);
    // The last line may come without its line feed.
    const QByteArray rest = process_.readAllStandardOutput();
    if (!rest.isEmpty()) {
        lines_.push_back({QString::fromUtf8(rest), monotonicNowNs()});
    }
    return process_.state() == QProcess::NotRunning;
}

QStringList RecorderProcess::texts() const
{
    QStringList texts;
    for (const Line &line : lines_) {
        texts << line.text;
    }
    return texts;
}

std::optional<RecorderProcess::Line> RecorderProcess::lineStartingWith(const QString &prefix) const
{
    for (const Line &line : lines_) {
        if (line.text.startsWith(prefix)) {
            return line;
        }
    }
    return std::nullopt;
}

QString RecorderProcess::errorOutput()
{
    errors_ += process_.readAllStandardError();
    return QString::fromUtf8(errors_);
}

std::optional<RecordedLine> RecordedLine::parse(const QString &line)
{
    static const QRegularExpression shape(QStringLiteral(R"(^recorded (\d+(?:\.\d+)?)s, turns: \[(.*)\]$)"));
    static const QRegularExpression turnShape(QStringLiteral(R"(^(host|guests) (\d+\.\d)-(\d+\.\d)$)"));
    const QRegularExpressionMatch match = shape.match(line);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    RecordedLine recorded;
    recorded.durationSec = match.captured(1).toDouble();
    const QString list = match.captured(2);
    for (const QString &item : list.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch turn = turnShape.match(item);
        if (!turn.hasMatch()) {
            return std::nullopt;
        }
        recorded.turns.push_back({turn.captured(1), turn.captured(2).toDouble(), turn.captured(3).toDouble()});
    }
    return recorded;
}

std::optional<RecordedLine::Turn> RecordedLine::firstOf(const QString &who) const
{
    for (const Turn &turn : turns) {
        if (turn.who == who) {
            return turn;
        }
    }
    return std::nullopt;
}

std::vector<std::map<QString, QString>> sourceOutputsOf(qint64 pid)
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("--format=json"), QStringLiteral("list"),
                                          QStringLiteral("source-outputs")});
    if (!pactl.waitForFinished(5000)) {
        return {};
    }
    std::vector<std::map<QString, QString>> outputs;
    const QJsonArray listed = QJsonDocument::fromJson(pactl.readAllStandardOutput()).array();
    for (const QJsonValue &entry : listed) {
        const QJsonObject properties = entry.toObject().value(QStringLiteral("properties")).toObject();
        if (properties.value(QStringLiteral("application.process.id")).toString() != QString::number(pid)) {
            continue;
        }
        std::map<QString, QString> copy;
        for (auto it = properties.begin(); it != properties.end(); ++it) {
            copy[it.key()] = it.value().toString();
        }
        outputs.push_back(std::move(copy));
    }
    return outputs;
}

} // namespace murva::test

#include "FaultPlan.h"

namespace murva::devservice {
namespace {

bool pathMatches(const QString &pattern, const QString &path)
{
    if (pattern.endsWith('*')) {
        return path.startsWith(QStringView(pattern).chopped(1));
    }
    return pattern == path;
}

} // namespace

void FaultPlan::inject(const QString &path, int status, const QByteArray &body, int count)
{
    if (count == 0) {
        forget(injections_, path);
    } else {
        injections_.append({path, count, {status, body}, 0, -1});
    }
}

void FaultPlan::delay(const QString &path, int ms, int count)
{
    if (count == 0) {
        forget(delays_, path);
    } else if (ms > 0) {
        delays_.append({path, count, {}, ms, -1});
    }
}

void FaultPlan::cut(qint64 afterBytes, int count)
{
    if (count == 0) {
        cuts_.clear();
    } else if (afterBytes >= 0) {
        cuts_.append({QStringLiteral("*"), count, {}, 0, afterBytes});
    }
}

void FaultPlan::forget(QList<Entry> &entries, const QString &path)
{
    entries.removeIf([&](const Entry &entry) { return entry.path == path; });
}

FaultPlan::Entry *FaultPlan::firstFor(QList<Entry> &entries, const QString &path)
{
    for (Entry &entry : entries) {
        if (pathMatches(entry.path, path)) {
            return &entry;
        }
    }
    return nullptr;
}

void FaultPlan::spend(QList<Entry> &entries, Entry *entry)
{
    if (entry->count > 0 && --entry->count == 0) {
        entries.removeAt(entry - entries.data());
    }
}

std::optional<FaultPlan::Injection> FaultPlan::takeInjection(const QString &path)
{
    Entry *entry = firstFor(injections_, path);
    if (!entry) {
        return std::nullopt;
    }
    const Injection injection = entry->injection;
    spend(injections_, entry);
    return injection;
}

int FaultPlan::takeDelayMs(const QString &path)
{
    Entry *entry = firstFor(delays_, path);
    if (!entry) {
        return 0;
    }
    const int ms = entry->ms;
    spend(delays_, entry);
    return ms;
}

qint64 FaultPlan::takeCutAfterBytes()
{
    if (cuts_.isEmpty()) {
        return -1;
    }
    Entry *entry = &cuts_.first();
    const qint64 afterBytes = entry->afterBytes;
    spend(cuts_, entry);
    return afterBytes;
}

void FaultPlan::clear()
{
    injections_.clear();
    delays_.clear();
    cuts_.clear();
}

} // namespace murva::devservice

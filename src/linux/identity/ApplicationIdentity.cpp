#include "identity/ApplicationIdentity.h"

#include "identity/KnownApplications.h"

#include <QStringList>

namespace murva {
namespace {

// A reverse-DNS id as given, unless the table knows it under another identifier.
QString canonicalIdentifier(const QString &dottedId)
{
    const KnownApplication *known = knownApplicationNamed(dottedId);
    return known ? known->identifier : dottedId;
}

QString identifierByRules(const IdentityClues &clues)
{
    if (clues.streamApplicationId.contains(u'.')) {
        return canonicalIdentifier(clues.streamApplicationId);
    }
    if (!clues.flatpakId.isEmpty()) {
        return canonicalIdentifier(clues.flatpakId);
    }
    for (const QString &programName :
         {clues.streamBinary, clues.executableName, clues.wmClassInstance, clues.wmClass}) {
        if (const KnownApplication *known = knownApplicationNamed(programName)) {
            return known->identifier;
        }
    }
    return {};
}

// The table's name for a known program; otherwise the most readable clue: the window's
// class ("Gimp") before the executable, ids last.
QString nameFor(const QString &identifier, const IdentityClues &clues)
{
    for (const QString &linuxName : {clues.streamApplicationId, clues.flatpakId, clues.streamBinary,
                                     clues.executableName, clues.wmClassInstance, clues.wmClass}) {
        const KnownApplication *known = knownApplicationNamed(linuxName);
        if (known && known->identifier == identifier) {
            return known->name;
        }
    }
    if (const KnownApplication *known = knownApplicationWithIdentifier(identifier)) {
        return known->name;
    }
    for (const QString &candidate : {clues.wmClass, clues.streamBinary, clues.executableName,
                                     clues.wmClassInstance, clues.flatpakId, clues.streamApplicationId}) {
        if (!candidate.isEmpty()) {
            return candidate;
        }
    }
    return {};
}

} // namespace

ApplicationIdentity ApplicationIdentity::fromClues(const IdentityClues &clues)
{
    const QString identifier = identifierByRules(clues);
    return {identifier, nameFor(identifier, clues)};
}

ApplicationIdentity ApplicationIdentity::forProcess(qint64 pid, const QString &streamApplicationId,
                                                    const QString &streamBinary, const QString &procRoot)
{
    const ProcessFacts facts = readProcessFacts(pid, procRoot);
    IdentityClues clues;
    clues.streamApplicationId = streamApplicationId;
    clues.flatpakId = facts.flatpakId;
    clues.streamBinary = streamBinary;
    clues.executableName = facts.executableName;
    return fromClues(clues);
}

ApplicationIdentity ApplicationIdentity::forWindow(qint64 pid, const QString &wmClassInstance,
                                                   const QString &wmClass, const QString &procRoot)
{
    const ProcessFacts facts = readProcessFacts(pid, procRoot);
    IdentityClues clues;
    clues.flatpakId = facts.flatpakId;
    clues.executableName = facts.executableName;
    clues.wmClassInstance = wmClassInstance;
    clues.wmClass = wmClass;
    return fromClues(clues);
}

} // namespace murva

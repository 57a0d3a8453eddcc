#pragma once

#include <QString>

namespace murva::test {

// A WAV file of a sentence spoken by espeak-ng (about two seconds), made once per test
// process; empty when espeak-ng is missing.
QString speechFile();

// How long that sentence lasts up to its first sound, in seconds: espeak-ng starts
// with a short silence.
double speechLeadSec();

} // namespace murva::test

#pragma once

namespace murva {

// The version this program was built as; the log lines, "--version" and the per-version
// settings keys use it. Defined in Version.cpp alone, so that a build of another version
// differs by that one object.
const char *buildVersion();

} // namespace murva

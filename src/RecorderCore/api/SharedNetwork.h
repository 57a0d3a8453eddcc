#pragma once

class QNetworkAccessManager;

namespace murva {

// The calling thread's HTTP client: one per thread, the main thread's being the
// process-wide one. It lives as long as the application object (main thread) or the
// thread (any other).
QNetworkAccessManager &sharedNetwork();

} // namespace murva

#include "api/SharedNetwork.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QThread>

#include <memory>

namespace murva {

QNetworkAccessManager &sharedNetwork()
{
    // The main thread's client belongs to the application object, so it is gone before
    // Qt's own statics; a worker thread's goes with the thread.
    thread_local QNetworkAccessManager *network = nullptr;
    thread_local std::unique_ptr<QNetworkAccessManager> ownedByThread;
    if (network == nullptr) {
        QCoreApplication *application = QCoreApplication::instance();
        if (application != nullptr && QThread::currentThread() == application->thread()) {
            network = new QNetworkAccessManager(application);
            QObject::connect(network, &QObject::destroyed, [] { network = nullptr; });
        } else {
            ownedByThread = std::make_unique<QNetworkAccessManager>();
            network = ownedByThread.get();
        }
    }
    return *network;
}

} // namespace murva

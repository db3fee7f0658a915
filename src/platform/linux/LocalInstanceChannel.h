#pragma once
// Single-instance guard over a local socket named after the user and display: the first
// copy listens, a later copy connects and asks it to come forward. Plain Unix sockets
// with Qt's socket notifier: Qt Network would cost every start-up its load time.

#include <QObject>
#include <QString>
#include <string>

#include "platform/Interfaces.h"

class QSocketNotifier;

namespace qm {

class LocalInstanceChannel : public QObject, public IInstanceChannel {
    Q_OBJECT
  public:
    explicit LocalInstanceChannel(QString name = DefaultName(), QObject* parent = nullptr);
    ~LocalInstanceChannel() override;  // stops listening and removes the socket file
    bool AnotherCopyRunning(std::function<void()> onActivate) override;
    void ActivateOtherCopy() override;
    static QString DefaultName();
    // The socket file: the name in the temporary folder.
    const std::string& Path() const { return path_; }

  private:
    void AcceptCopies();

    std::string path_;
    int listener_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> onActivate_;
};

}  // namespace qm

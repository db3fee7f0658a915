#pragma once
// Single-instance guard over a local socket named after the user: the first copy
// listens, a later copy connects and asks it to come forward.

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "platform/Interfaces.h"

namespace qm {

class LocalInstanceChannel : public QObject, public IInstanceChannel {
    Q_OBJECT
  public:
    explicit LocalInstanceChannel(QString name = DefaultName(), QObject* parent = nullptr);
    bool AnotherCopyRunning(std::function<void()> onActivate) override;
    void ActivateOtherCopy() override;
    static QString DefaultName();

  private:
    QString name_;
    QLocalServer server_;
    std::function<void()> onActivate_;
};

}  // namespace qm

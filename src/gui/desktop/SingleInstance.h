// One running Quillpost per user, with the hand-over of a later start.

#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running Quillpost per user. The first process listens on a local socket whose name holds
// the user's id; a later start hands over to it (the running window comes forward) and ends.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when another process of this user runs Quillpost and took the hand-over, with the
    // feed address or file this start was given (may be empty).
    bool HandOverToRunningInstance(const QString& argument = QString());
    // Starts answering later starts; false when the socket cannot be made.
    bool Listen();

    static QString ServerName();

signals:
    // A later start asked this process to come forward and to open its argument, if any.
    void activationRequested(const QString& argument);

private:
    void OnNewConnection();

    QLocalServer* server_ = nullptr;
};

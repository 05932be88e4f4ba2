// Private folders, environment variables and time zones for tests.

#pragma once

#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <string>

// Sets an environment variable for the lifetime of the object, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// A time zone for the lifetime of the object ("Europe/Berlin", "UTC-01:00" style POSIX rules).
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const QString& tz);
    ~ScopedTimeZone();

private:
    std::optional<ScopedEnv> tz_;
};

// A private temporary folder with its own configuration, data, runtime and cache folders, so that a
// test never sees the user's files or another test's.
class TestEnvironment {
public:
    TestEnvironment();

    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString ConfigFolder() const { return Path(QStringLiteral("config")); }
    QString DataFolder() const { return Path(QStringLiteral("data")); }
    // Writes a file in the folder and returns its path.
    QString WriteFile(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
    ScopedEnv config_;
    ScopedEnv data_;
    ScopedEnv runtime_;
    ScopedEnv cache_;
};

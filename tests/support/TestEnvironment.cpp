// Private folders, environment variables and time zones for tests.

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <ctime>

ScopedEnv::ScopedEnv(const char* name, const QString& value) : name_(name) {
    if (const char* old = std::getenv(name))
        previous_ = old;
    setenv(name, value.toLocal8Bit().constData(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (previous_)
        setenv(name_.c_str(), previous_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

ScopedTimeZone::ScopedTimeZone(const QString& tz) {
    tz_.emplace("TZ", tz);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    tz_.reset();
    tzset();
}

namespace {
QString MadeFolder(const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(name);
    QDir().mkpath(path);
    return path;
}
} // namespace

TestEnvironment::TestEnvironment()
    : config_("XDG_CONFIG_HOME", MadeFolder(dir_, "config")),
      data_("XDG_DATA_HOME", MadeFolder(dir_, "data")),
      runtime_("XDG_RUNTIME_DIR", MadeFolder(dir_, "runtime")),
      cache_("XDG_CACHE_HOME", MadeFolder(dir_, "cache")) {}

QString TestEnvironment::WriteFile(const QString& name, const QByteArray& bytes) const {
    const QString path = Path(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

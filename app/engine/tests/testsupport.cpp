#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarvell::test {

char* TextPool::operator()(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    return m_Texts.emplace_back(text).data();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace tarvell::test

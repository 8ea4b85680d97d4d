#include "common/Installation.h"

#include "common/AppPath.h"

Installation::Installation(QString programDir, QString currentDir)
    : m_programDir(std::move(programDir)), m_currentDir(std::move(currentDir)) {}

Installation Installation::at(const QString& folder) {
    Installation i(folder, folder);
    i.m_folder = AppPath::withSeparator(folder);
    return i;
}

QString Installation::programFolder() const {
    return AppPath::withSeparator(m_programDir);
}

void Installation::settle() {
    m_folder = AppPath(m_programDir, m_currentDir).resolveAndStore();
}

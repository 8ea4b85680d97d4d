#include "client/internet/ServerStatus.h"

void ServerStatus::ShowServerStatus(const QString& text) {
    const QChar code = text.isEmpty() ? QChar() : text.front();
    if (code == 'Y')
        setButtons(false, false);
    else if (code == 'E')
        setButtons(true, true);
    else if (code == 'D' || code == 'B' || code == 'C' || code == '0')
        setButtons(true, false);
    m_message = text.mid(2);
    emit shown(m_message);
    emit changed();
}

void ServerStatus::show() {
    m_visible = true;
    emit changed();
}

void ServerStatus::close() {
    m_visible = false;
    m_ok = m_connect = true;
    emit changed();
}

void ServerStatus::setButtons(bool ok, bool connect) {
    m_ok = ok;
    m_connect = connect;
    emit changed();
}

void ServerStatus::okClicked() {
    if (m_ok)
        emit okPressed();
}

void ServerStatus::connectClicked() {
    if (m_connect)
        emit connectRequested();
}

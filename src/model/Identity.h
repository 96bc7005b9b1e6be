#pragma once

#include <QString>
#include <QUuid>

// Identities are upper-case UUID texts, 36 characters.
inline QString newIdentity() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

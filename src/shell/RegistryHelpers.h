#pragma once
// The program's registry helpers: every window and record keeps its state
// through these, below the program key "Software\Kelvry\" of
// HKEY_LOCAL_MACHINE. Values are strings; a missing key or value reads as the
// empty text. No state is kept between calls; any thread may call them.
#include <QString>
#include <QStringList>
#include <memory>

// flags bit 0: key is a full path below HKEY_LOCAL_MACHINE, not below the
// program key. An empty value name is the key's default value.
QString ReadRegistryString(const QString& key, const QString& name, int flags = 0);
void WriteRegistryString(const QString& key, const QString& name, const QString& value, int flags = 0);

// The value names (subKeys false) or sub-key names (true) of a key below the
// program key. With a list given, it is cleared, filled and returned; without
// one, a new list is returned, or null when the key does not exist.
QStringList* ListRegistryNames(const QString& key, QStringList* list, bool subKeys);
std::unique_ptr<QStringList> ListRegistryNames(const QString& key, bool subKeys);

// Deletes every value of the key; the key and its sub-keys stay.
void DeleteRegistryValues(const QString& key);

// Field index of source, fields separated by separator; empty beyond the last.
QString GetToken(const QString& source, QChar separator, int index);

// The registry path of a key below the program key.
QString ProgramRegistryPath(const QString& key);

#include "shell/RegistryHelpers.h"

#include "platform/RegistryStore.h"

namespace {

const char kMachineRoot[] = "HKEY_LOCAL_MACHINE";

QString FullPath(const QString& key, int flags)
{
    if (flags & 1)
        return QString(kMachineRoot) + "\\" + key;
    return ProgramRegistryPath(key);
}

}  // namespace

QString ProgramRegistryPath(const QString& key)
{
    return QString(kMachineRoot) + "\\Software\\Kelvry\\" + key;
}

QString ReadRegistryString(const QString& key, const QString& name, int flags)
{
    return TRegistryStore::Instance().ReadValue(FullPath(key, flags), name).value_or(QString());
}

void WriteRegistryString(const QString& key, const QString& name, const QString& value, int flags)
{
    // A failed write keeps the value for this run; the store records why.
    TRegistryStore::Instance().WriteValue(FullPath(key, flags ? 1 : 0), name, value);
}

QStringList* ListRegistryNames(const QString& key, QStringList* list, bool subKeys)
{
    if (list)
        list->clear();
    TRegistryStore& store = TRegistryStore::Instance();
    const QString path = ProgramRegistryPath(key);
    if (!store.KeyExists(path))
        return list;
    const QStringList names = subKeys ? store.SubKeyNames(path) : store.ValueNames(path);
    if (!list)
        return new QStringList(names);
    *list = names;
    return list;
}

std::unique_ptr<QStringList> ListRegistryNames(const QString& key, bool subKeys)
{
    return std::unique_ptr<QStringList>(ListRegistryNames(key, nullptr, subKeys));
}

void DeleteRegistryValues(const QString& key)
{
    TRegistryStore::Instance().DeleteValues(ProgramRegistryPath(key));
}

QString GetToken(const QString& source, QChar separator, int index)
{
    int field = 0;
    int start = 0;
    for (int i = 0; i <= source.size(); ++i) {
        if (i == source.size() || source[i] == separator) {
            if (field == index)
                return source.mid(start, i - start);
            ++field;
            start = i + 1;
        }
    }
    return {};
}

#pragma once
// The registry stand-in: a tree of keys holding string values, kept in one
// text file in the shape of a registry export. Key and value names compare
// without regard to letter case; values keep the order they were first
// written in (stored lists rely on it). Every write is persisted at once,
// atomically, readable by the owner only (it may hold an FTP password).
// All members are thread-safe.
#include <QMutex>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class TRegistryStore {
public:
    // The store of the process: $ORVANTA_REGISTRY, else
    // $XDG_CONFIG_HOME/Kelvry/registry.reg (~/.config when unset).
    static TRegistryStore& Instance();
    static QString DefaultPath();

    // Loads the file at path. A file that cannot be read or parsed is moved
    // aside to path + ".bad" and the store starts empty; LoadError() says so.
    explicit TRegistryStore(const QString& path);

    // Keys are full paths such as "HKEY_LOCAL_MACHINE\Software\Kelvry\APT".
    // An empty value name is the key's default value.
    bool KeyExists(const QString& key) const;
    std::optional<QString> ReadValue(const QString& key, const QString& name) const;
    // Creates the key and its parents when missing; false when the file could
    // not be written (LastError() tells why; the value is kept in memory).
    bool WriteValue(const QString& key, const QString& name, const QString& value);
    bool CreateKey(const QString& key);
    QStringList ValueNames(const QString& key) const;
    QStringList SubKeyNames(const QString& key) const;
    bool DeleteValues(const QString& key);

    QString Path() const { return path_; }
    QString LoadError() const;
    QString LastError() const;

private:
    struct Value {
        QString name;
        QString data;
    };
    struct Key {
        QString path;  // as first written
        std::vector<Value> values;
    };

    Key* FindKey(const QString& key);
    const Key* FindKey(const QString& key) const;
    Key& MakeKey(const QString& key);
    void Load();
    bool Parse(const QByteArray& text, QString& error);
    bool Save();

    QString path_;
    std::vector<Key> keys_;  // in creation order
    mutable QMutex mutex_;
    QString loadError_;
    QString lastError_;
};

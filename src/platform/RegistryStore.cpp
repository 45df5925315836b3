#include "platform/RegistryStore.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00";

QString NormaliseKey(const QString& key)
{
    QString k = key;
    while (k.startsWith('\\'))
        k.remove(0, 1);
    while (k.endsWith('\\'))
        k.chop(1);
    return k;
}

QString ParentOf(const QString& key)
{
    const int slash = key.lastIndexOf('\\');
    return slash < 0 ? QString() : key.left(slash);
}

QString Escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == '\\' || c == '"')
            out += '\\', out += c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the
// closing quote. False when the quote is not closed.
bool ReadQuoted(const QString& text, int& pos, QString& out)
{
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            const QChar n = text[++pos];
            out += n == 'n' ? QChar('\n') : n == 'r' ? QChar('\r') : n;
        } else {
            out += c;
        }
    }
    return false;
}

}  // namespace

TRegistryStore& TRegistryStore::Instance()
{
    static TRegistryStore store(DefaultPath());
    return store;
}

QString TRegistryStore::DefaultPath()
{
    const QString overridden = qEnvironmentVariable("ORVANTA_REGISTRY");
    if (!overridden.isEmpty())
        return overridden;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + "/.config";
    return config + "/Kelvry/registry.reg";
}

TRegistryStore::TRegistryStore(const QString& path) : path_(path)
{
    Load();
}

void TRegistryStore::Load()
{
    QFile file(path_);
    if (!file.exists())
        return;
    QString error;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else if (Parse(file.readAll(), error)) {
        return;
    }
    file.close();
    keys_.clear();
    const QString aside = path_ + ".bad";
    QFile::remove(aside);
    const bool kept = QFile::rename(path_, aside);
    loadError_ = QString("The settings file %1 is damaged (%2). %3 The built-in defaults are used.")
                     .arg(path_, error,
                          kept ? QString("It was kept as %1.").arg(aside)
                               : QString("It could not be moved aside."));
}

bool TRegistryStore::Parse(const QByteArray& bytes, QString& error)
{
    const QStringList lines = QString::fromUtf8(bytes).split('\n');
    int lineNo = 0;
    Key* current = nullptr;
    bool headerSeen = false;
    for (QString line : lines) {
        ++lineNo;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (!headerSeen) {
            if (line.trimmed() != kHeader) {
                error = QString("line %1: not a registry file").arg(lineNo);
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (line.startsWith('[')) {
            if (!line.endsWith(']')) {
                error = QString("line %1: unclosed key").arg(lineNo);
                return false;
            }
            current = &MakeKey(line.mid(1, line.size() - 2));
            continue;
        }
        if (!current) {
            error = QString("line %1: value outside a key").arg(lineNo);
            return false;
        }
        QString name;
        int pos = 0;
        if (line.startsWith('@')) {
            pos = 1;
        } else if (!line.startsWith('"') || !ReadQuoted(line, pos, name)) {
            error = QString("line %1: bad value name").arg(lineNo);
            return false;
        }
        QString data;
        if (pos >= line.size() || line[pos] != '=' || pos + 1 >= line.size() || line[pos + 1] != '"') {
            error = QString("line %1: value is not a string").arg(lineNo);
            return false;
        }
        ++pos;
        if (!ReadQuoted(line, pos, data) || pos != line.size()) {
            error = QString("line %1: bad value text").arg(lineNo);
            return false;
        }
        bool replaced = false;
        for (Value& v : current->values) {
            if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
                v.data = data;
                replaced = true;
            }
        }
        if (!replaced)
            current->values.push_back({name, data});
    }
    if (!headerSeen && !bytes.trimmed().isEmpty()) {
        error = "not a registry file";
        return false;
    }
    return true;
}

TRegistryStore::Key* TRegistryStore::FindKey(const QString& key)
{
    const QString k = NormaliseKey(key);
    for (Key& each : keys_)
        if (each.path.compare(k, Qt::CaseInsensitive) == 0)
            return &each;
    return nullptr;
}

const TRegistryStore::Key* TRegistryStore::FindKey(const QString& key) const
{
    return const_cast<TRegistryStore*>(this)->FindKey(key);
}

TRegistryStore::Key& TRegistryStore::MakeKey(const QString& key)
{
    const QString k = NormaliseKey(key);
    if (Key* found = FindKey(k))
        return *found;
    const QString parent = ParentOf(k);
    if (!parent.isEmpty())
        MakeKey(parent);
    keys_.push_back({k, {}});
    return keys_.back();
}

bool TRegistryStore::KeyExists(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    return FindKey(key) != nullptr;
}

std::optional<QString> TRegistryStore::ReadValue(const QString& key, const QString& name) const
{
    QMutexLocker lock(&mutex_);
    const Key* k = FindKey(key);
    if (!k)
        return std::nullopt;
    for (const Value& v : k->values)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return v.data;
    return std::nullopt;
}

bool TRegistryStore::WriteValue(const QString& key, const QString& name, const QString& value)
{
    QMutexLocker lock(&mutex_);
    Key& k = MakeKey(key);
    bool found = false;
    for (Value& v : k.values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
            v.data = value;
            found = true;
            break;
        }
    }
    if (!found)
        k.values.push_back({name, value});
    return Save();
}

bool TRegistryStore::CreateKey(const QString& key)
{
    QMutexLocker lock(&mutex_);
    if (FindKey(key))
        return true;
    MakeKey(key);
    return Save();
}

QStringList TRegistryStore::ValueNames(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    QStringList names;
    if (const Key* k = FindKey(key))
        for (const Value& v : k->values)
            names << v.name;
    return names;
}

QStringList TRegistryStore::SubKeyNames(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    const QString parent = NormaliseKey(key);
    QStringList names;
    for (const Key& each : keys_)
        if (ParentOf(each.path).compare(parent, Qt::CaseInsensitive) == 0)
            names << each.path.mid(parent.size() + 1);
    return names;
}

bool TRegistryStore::DeleteValues(const QString& key)
{
    QMutexLocker lock(&mutex_);
    Key* k = FindKey(key);
    if (!k)
        return false;
    k->values.clear();
    return Save();
}

QString TRegistryStore::LoadError() const
{
    QMutexLocker lock(&mutex_);
    return loadError_;
}

QString TRegistryStore::LastError() const
{
    QMutexLocker lock(&mutex_);
    return lastError_;
}

bool TRegistryStore::Save()
{
    QString text = QString(kHeader) + "\n";
    for (const Key& k : keys_) {
        text += "\n[" + k.path + "]\n";
        for (const Value& v : k.values) {
            text += v.name.isEmpty() ? QString("@") : "\"" + Escape(v.name) + "\"";
            text += "=\"" + Escape(v.data) + "\"\n";
        }
    }
    QString error;
    if (!WriteFileAtomically(path_, text.toUtf8(), error, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        lastError_ = error;
        return false;
    }
    lastError_.clear();
    return true;
}

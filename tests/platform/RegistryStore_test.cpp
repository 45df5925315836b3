#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

QString WriteText(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath("registry.reg");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

}  // namespace

TEST(RegistryStore, ValuesSurviveReloadInInsertionOrderAndIgnoreCase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("registry.reg");
    {
        TRegistryStore store(path);
        EXPECT_TRUE(store.WriteValue("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT\\LogImages", "zeta", "1"));
        store.WriteValue("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT\\LogImages", "alpha", "2");
        store.WriteValue("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT\\LogImages", "", "1");
        store.WriteValue("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT\\Paths", "Audio", "C:\\x \"quoted\"\nline");
        store.WriteValue("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\apt\\logimages", "ZETA", "3");
    }
    TRegistryStore reloaded(path);
    EXPECT_TRUE(reloaded.LoadError().isEmpty());
    EXPECT_EQ(reloaded.ValueNames("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT\\LogImages"),
              QStringList({"zeta", "alpha", ""}));
    EXPECT_EQ(reloaded.ReadValue("hkey_local_machine\\software\\kelvry\\apt\\logimages", "Zeta"), "3");
    EXPECT_EQ(reloaded.ReadValue("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT\\Paths", "audio"),
              "C:\\x \"quoted\"\nline");
    EXPECT_EQ(reloaded.SubKeyNames("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT"), QStringList({"LogImages", "Paths"}));
    EXPECT_FALSE(reloaded.ReadValue("HKEY_LOCAL_MACHINE\\Software\\Kelvry\\APT\\Paths", "Log").has_value());
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0)
        << "the registry may hold a password: owner only";
}

TEST(RegistryStore, DamagedFileIsKeptAsideAndReported)
{
    struct Case {
        const char* name;
        QByteArray text;
    };
    const Case cases[] = {
        {"not a registry export", "hello world\n"},
        {"value outside a key", "Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n"},
        {"unterminated value", "Windows Registry Editor Version 5.00\n[K]\n\"a\"=\"b\n"},
        {"dword value", "Windows Registry Editor Version 5.00\n[K]\n\"a\"=dword:00000001\n"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = WriteText(dir, c.text);
        TRegistryStore store(path);
        EXPECT_TRUE(store.LoadError().contains(path)) << c.name << ": " << store.LoadError().toStdString();
        EXPECT_FALSE(QFile::exists(path)) << c.name;
        QFile bad(path + ".bad");
        ASSERT_TRUE(bad.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(bad.readAll(), c.text) << c.name << ": the damaged file is kept as it was";
        EXPECT_TRUE(store.ValueNames("K").isEmpty()) << c.name;
    }
}

TEST(RegistryStore, UnwritableFileIsReportedAndValueKeptForTheRun)
{
    QTemporaryDir dir;
    // A folder where the file's parent should be: the write cannot succeed.
    QFile blocker(dir.filePath("blocked"));
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    TRegistryStore store(dir.filePath("blocked/registry.reg"));
    EXPECT_FALSE(store.WriteValue("K", "a", "b"));
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(store.ReadValue("K", "a"), "b");
}

TEST(RegistryStore, ConcurrentWritersLoseNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("registry.reg");
    {
        TRegistryStore store(path);
        std::vector<std::thread> writers;
        for (int t = 0; t < 4; ++t)
            writers.emplace_back([&store, t] {
                for (int i = 0; i < 25; ++i)
                    store.WriteValue(QString("K%1").arg(t), QString("v%1").arg(i), QString::number(i));
            });
        for (auto& w : writers)
            w.join();
    }
    TRegistryStore reloaded(path);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(reloaded.ValueNames(QString("K%1").arg(t)).size(), 25);
}

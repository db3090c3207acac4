// Settings that survive a kill: a real process saving options and geometry as fast as it can is killed at random
// moments; the file is always whole afterwards, and the temporaries that killed saves leave do not pile up.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <cstdio>

#include "ui/main/ini_file.h"
#include "ui/main/settings_store.h"
#include "ui_test_support.h"

namespace velomir::test {

namespace {

constexpr char kOtherSection[] = "[other]\nkeep=this line\n\n";

QStringList temporariesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("velomir.ini.tmp-*")}, QDir::Files | QDir::Hidden);
}

}  // namespace

// The saving process: options and geometry in turn, a line on stdout after each save, until it is killed.
int runSaveBurst(const char* path) {
    SettingsStore store(path);
    for (int i = 1;; ++i) {
        store.saveOptions({i % 500 + 1, i % 2 == 0, i % 3 == 0});
        store.saveWindow({0, 400 + i % 300, 300 + i % 200, i % 50, i % 40});
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}

class SettingsKillTest : public QObject {
    Q_OBJECT

private slots:
    void killedSavesLeaveAWholeFileAndNoLitter();
};

void SettingsKillTest::killedSavesLeaveAWholeFileAndNoLitter() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("velomir.ini"));
    writeFile(path, std::string(kOtherSection) + "[song]\nup=1\n");
    // To the saving processes, this one is another program saving right now: its temporary must stay.
    const QString live = path + QStringLiteral(".tmp-%1-live").arg(QCoreApplication::applicationPid());
    writeFile(live, "[song]\n");
    for (int round = 0; round < 30; ++round) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-burst"), path});
        // Kill after a random number of finished saves, somewhere inside the next one.
        const int saves = QRandomGenerator::global()->bounded(1, 40);
        int seen = 0;
        while (seen < saves && saver.waitForReadyRead(kEventWaitMs)) {
            while (saver.canReadLine()) seen += saver.readLine().isEmpty() ? 0 : 1;
        }
        QCOMPARE(saver.state(), QProcess::Running);
        const qint64 killed = saver.processId();
        saver.kill();
        QVERIFY(saver.waitForFinished(kEventWaitMs));
        // What a save killed between writing and renaming leaves, whether or not this kill hit that moment.
        writeFile(path + QStringLiteral(".tmp-%1-left").arg(killed), "[so");

        const IniFile ini(path.toStdString());
        QCOMPARE(ini.read("other", "keep"), std::string("this line"));
        QCOMPARE(ini.read("song", "up"), std::string("1"));
        for (const char* key : {"max", "pic", "sou"}) QVERIFY2(!ini.read("song", key).empty(), key);
        for (const char* key : {"wz", "kd", "gd", "zb", "db"}) QVERIFY2(!ini.read("WIN", key).empty(), key);
        // Each save clears what killed saves left: at most this round's remain, beside the live one.
        const QStringList left = temporariesIn(folder.path());
        QVERIFY2(left.contains(QFileInfo(live).fileName()), qPrintable(left.join(' ')));
        QVERIFY2(left.size() <= 3, qPrintable(left.join(' ')));
    }
    // A save of this process clears the rest, its own included: none of its saves is still under way.
    SettingsStore(path.toStdString()).saveOptions({100, true, true});
    QCOMPARE(temporariesIn(folder.path()), QStringList());
}

int runSettingsKillTests(int argc, char** argv) {
    SettingsKillTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace velomir::test

#include "settings_kill_test.moc"

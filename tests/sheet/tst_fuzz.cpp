// A bounded fuzz test of the file readers: mutants of the fixtures of each format (.xls, .xlsx,
// .ods, .csv) are read by read_probe, each under an address space of 512 MB and within 10 s. Any
// crash, hang or exhausted memory fails the test, and the input is kept.
//
// TAVRIN_FUZZ_MUTANTS  mutants per format (default 2000; the sanitizer build registers 300)
// TAVRIN_FUZZ_SEED     seed of the mutations (default 20261209); the same seed makes the same files
// TAVRIN_FUZZ_KEEP     folder for the inputs that failed (default: fuzz-failures beside the test)

#include "sheet/CellValue.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

int mutantsPerFormat()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("TAVRIN_FUZZ_MUTANTS", &ok);
    return ok && n >= 0 ? n : 2000;
}

quint32 seed()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("TAVRIN_FUZZ_SEED", &ok);
    return ok ? quint32(n) : 20261209u;
}

QString keepFolder()
{
    const QString set = qEnvironmentVariable("TAVRIN_FUZZ_KEEP");
    return set.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fuzz-failures")) : set;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fixtures of one format: the golden inputs of the spreadsheet tests, the catalogue fixtures and
// the demo catalogues.
QList<QByteArray> seedsOf(const QString &extension)
{
    QList<QByteArray> seeds;
    for (const char *folder : {"tests/sheet/golden", "tests/catalogue/fixtures", "demo"}) {
        QDirIterator it(QStringLiteral(TAVRIN_SOURCE_DIR "/") + QLatin1String(folder), {QStringLiteral("*.") + extension},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            seeds << readFile(it.next());
    }
    return seeds;
}

// Mutations of a file's bytes; zip packages also get their size and position fields hit directly.
class Mutator {
public:
    explicit Mutator(quint32 seed) : m_random(seed) {}

    QByteArray mutate(QByteArray data, bool zip)
    {
        const int rounds = 1 + int(m_random.bounded(3));
        for (int i = 0; i < rounds && !data.isEmpty(); ++i) {
            switch (m_random.bounded(zip ? 7 : 6)) {
            case 0: flipBits(data); break;
            case 1: putInteresting(data, position(data)); break;
            case 2: data.truncate(position(data)); break;
            case 3: insertChunk(data); break;
            case 4: removeChunk(data); break;
            case 5: insertText(data); break;
            case 6: hitZipField(data); break;
            }
        }
        return data;
    }

private:
    qsizetype position(const QByteArray &data) { return qsizetype(m_random.bounded(quint32(data.size()))); }

    void flipBits(QByteArray &data)
    {
        const int flips = 1 + int(m_random.bounded(8));
        for (int i = 0; i < flips; ++i)
            data[position(data)] = char(data[position(data)] ^ (1 << m_random.bounded(8)));
    }

    void putInteresting(QByteArray &data, qsizetype at)
    {
        static const quint32 values[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF,
                                         0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x10000};
        const quint32 value = values[m_random.bounded(quint32(std::size(values)))];
        const int width = 1 << m_random.bounded(3); // 1, 2 or 4 bytes
        char bytes[4];
        qToLittleEndian(value, bytes);
        for (int i = 0; i < width && at + i < data.size(); ++i)
            data[at + i] = bytes[i];
    }

    void insertChunk(QByteArray &data)
    {
        const qsizetype from = position(data);
        const QByteArray chunk = data.mid(from, 1 + m_random.bounded(512));
        const int copies = 1 + int(m_random.bounded(4));
        const qsizetype at = position(data);
        for (int i = 0; i < copies; ++i)
            data.insert(at, chunk);
    }

    void removeChunk(QByteArray &data)
    {
        const qsizetype at = position(data);
        data.remove(at, 1 + m_random.bounded(256));
    }

    void insertText(QByteArray &data)
    {
        static const char *texts[] = {"\"", ",", "\n", "\r\n", "\"\"", ";", "\xEF\xBB\xBF", "\xFF\xFE", "\xC3",
                                      "&#1114112;", "&#0;", "<", "]]>", "NaN", "1e999", "-5", "'", "\0", "\t"};
        const char *text = texts[m_random.bounded(quint32(std::size(texts)))];
        const int copies = 1 + int(m_random.bounded(3)) * int(m_random.bounded(64));
        const QByteArray piece = QByteArray(text, qMax<qsizetype>(1, qstrlen(text))).repeated(qMax(1, copies));
        data.insert(position(data), piece);
    }

    // A size, position or length field of a local header, a directory entry or the end record.
    void hitZipField(QByteArray &data)
    {
        struct Field {
            const char *signature;
            QList<int> offsets;
        };
        static const Field fields[] = {
            {"PK\x03\x04", {6, 8, 14, 18, 22, 26, 28}},
            {"PK\x01\x02", {8, 10, 16, 20, 24, 28, 30, 32, 42}},
            {"PK\x05\x06", {8, 10, 12, 16, 20}},
        };
        const Field &field = fields[m_random.bounded(3u)];
        QList<qsizetype> places;
        for (qsizetype at = data.indexOf(field.signature); at >= 0; at = data.indexOf(field.signature, at + 1))
            places << at;
        if (places.isEmpty())
            return flipBits(data);
        const qsizetype at = places.at(qsizetype(m_random.bounded(quint32(places.size()))))
                             + field.offsets.at(qsizetype(m_random.bounded(quint32(field.offsets.size()))));
        if (at < data.size())
            putInteresting(data, at);
    }

    QRandomGenerator m_random;
};

struct ProbeFailure {
    QString file;
    QString what;
};

} // namespace

class TestFuzz : public QObject {
    Q_OBJECT

    // Reads the files through read_probe, restarting it after a file that ended it; returns what failed.
    static QList<ProbeFailure> probe(const QStringList &files, const QString &listPath, long *peakKb, int *opened = nullptr)
    {
        QFile list(listPath);
        if (!list.open(QIODevice::WriteOnly))
            return {{listPath, QStringLiteral("cannot write the list")}};
        list.write(files.join(QLatin1Char('\n')).toUtf8());
        list.close();

        QList<ProbeFailure> failures;
        int next = 0;
        while (next < files.size()) {
            QProcess process;
            process.setProgram(QStringLiteral(READ_PROBE));
            process.setArguments({listPath, QString::number(next)});
            process.setProcessChannelMode(QProcess::SeparateChannels);
            process.start();
            if (!process.waitForStarted(10000))
                return failures << ProbeFailure{QString(), QStringLiteral("read_probe does not start")};
            int started = -1;
            QByteArray pending;
            QElapsedTimer sinceStart;
            sinceStart.start();
            bool hung = false;
            QString limitHit;
            while (true) {
                const bool finished = process.waitForFinished(100);
                pending += process.readAllStandardOutput();
                qsizetype newline;
                while ((newline = pending.indexOf('\n')) >= 0) {
                    const QList<QByteArray> words = pending.left(newline).split(' ');
                    pending.remove(0, newline + 1);
                    if (words.value(0) == "start") {
                        started = words.value(1).toInt();
                        sinceStart.restart();
                    } else if (words.value(0) == "done") {
                        next = words.value(1).toInt() + 1;
                        *peakKb = qMax(*peakKb, words.value(2).toLong());
                        if (opened && words.value(3).toLong() >= 0)
                            ++*opened;
                        started = -1;
                    } else if (words.value(0) == "limit") {
                        limitHit = QStringLiteral("memory limit of 512 MB reached");
                    }
                }
                if (finished)
                    break;
                if (started >= 0 && sinceStart.elapsed() > 10000) {
                    hung = true;
                    process.kill();
                    process.waitForFinished(10000);
                    break;
                }
            }
            if (started < 0 && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
                continue; // every file read
            const int culprit = started >= 0 ? started : next;
            QString what = hung ? QStringLiteral("no answer within 10 s")
                           : !limitHit.isEmpty() ? limitHit
                           : process.exitStatus() == QProcess::CrashExit
                               ? QStringLiteral("crashed: ") + QString::fromLocal8Bit(process.readAllStandardError().right(2000))
                               : QStringLiteral("ended with code %1: ").arg(process.exitCode())
                                     + QString::fromLocal8Bit(process.readAllStandardError().right(2000));
            failures << ProbeFailure{files.value(culprit), what};
            next = culprit + 1;
        }
        return failures;
    }

private slots:
    void readersSurviveMutants_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char *extension : {"xls", "xlsx", "ods", "csv"})
            QTest::newRow(extension) << QString::fromLatin1(extension);
    }

    void readersSurviveMutants()
    {
        QFETCH(QString, extension);
        const QList<QByteArray> seeds = seedsOf(extension);
        QVERIFY2(!seeds.isEmpty(), qPrintable(extension));
        const int count = mutantsPerFormat();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Mutator mutator(seed() ^ qHash(extension));
        const bool zip = extension == QLatin1String("xlsx") || extension == QLatin1String("ods");
        QStringList files;
        for (int i = 0; i < count; ++i) {
            const QString path = dir.filePath(QStringLiteral("m%1.").arg(i, 5, 10, QLatin1Char('0')) + extension);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(mutator.mutate(seeds.at(i % seeds.size()), zip));
            files << path;
        }
        long peakKb = 0;
        int opened = 0;
        QElapsedTimer clock;
        clock.start();
        const QList<ProbeFailure> failures = probe(files, dir.filePath(QStringLiteral("list.txt")), &peakKb, &opened);
        qInfo("%s: %d mutants of %d fixtures read in %.1f s (%d opened, the others refused), peak resident %ld MB",
              qPrintable(extension), count, int(seeds.size()), clock.elapsed() / 1000.0, opened, peakKb / 1024);

        QStringList report;
        for (const ProbeFailure &failure : failures) {
            QString kept;
            if (!failure.file.isEmpty()) {
                QDir().mkpath(keepFolder());
                kept = QDir(keepFolder()).filePath(QFileInfo(failure.file).fileName());
                QFile::remove(kept);
                QFile::copy(failure.file, kept);
            }
            report << kept + QStringLiteral(": ") + failure.what;
        }
        QVERIFY2(failures.isEmpty(), qPrintable(report.join(QLatin1Char('\n'))));
    }

    // Packages whose zip directory or local headers declare sizes the file cannot hold are refused
    // before anything is set aside for them, and stay far below 256 MB.
    void declaredSizesCannotTakeMemory()
    {
        QTemporaryDir dir;
        QStringList files;
        for (const char *extension : {"xlsx", "ods"}) {
            const QByteArray seedFile = seedsOf(QString::fromLatin1(extension)).value(0);
            QVERIFY(!seedFile.isEmpty());
            int n = 0;
            for (const char *signature : {"PK\x03\x04", "PK\x01\x02"}) {
                const QList<int> offsets = signature[2] == 3 ? QList<int>{18, 22} : QList<int>{20, 24, 42};
                for (int offset : offsets) {
                    QByteArray data = seedFile;
                    for (qsizetype at = data.indexOf(signature); at >= 0; at = data.indexOf(signature, at + 1))
                        qToLittleEndian<quint32>(0xFFFFFFFFu, data.data() + at + offset);
                    const QString path = dir.filePath(QStringLiteral("big%1.").arg(n++) + QLatin1String(extension));
                    QFile file(path);
                    QVERIFY(file.open(QIODevice::WriteOnly));
                    file.write(data);
                    files << path;
                }
            }
        }
        long peakKb = 0;
        const QList<ProbeFailure> failures = probe(files, dir.filePath(QStringLiteral("list.txt")), &peakKb);
        QVERIFY(failures.isEmpty());
        QVERIFY2(peakKb < 256 * 1024, qPrintable(QString::number(peakKb)));
    }
};

QTEST_GUILESS_MAIN(TestFuzz)
#include "tst_fuzz.moc"

#include "documents/storage_layout.h"
#include "support/temp_home.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

namespace inkwarden::storage {
namespace {

class StorageLayoutTest : public ::testing::Test {
protected:
    QString make(const QString& folder, const QString& name, qint64 modifiedSecondsSinceEpoch = 0) {
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        if (modifiedSecondsSinceEpoch > 0) {
            const utimbuf times{modifiedSecondsSinceEpoch, modifiedSecondsSinceEpoch};
            ::utime(QFile::encodeName(path).constData(), &times);
        }
        return path;
    }
    QStringList names(const QList<WritingDocument>& documents) {
        QStringList result;
        for (const WritingDocument& document : documents)
            result.append(QFileInfo(document.url.toLocalFile()).fileName() +
                          (document.isDailyEntry ? QStringLiteral(" (entry)") : QString()));
        return result;
    }
    testing::TempHome home;
};

TEST_F(StorageLayoutTest, FoldersFollowXdgDataHome) {
    EXPECT_EQ(documentsFolder(), home.dataHome() + QStringLiteral("/Inkwarden/Documents"));
    EXPECT_EQ(entryPath(QStringLiteral("2026-12-05")),
              home.dataHome() + QStringLiteral("/Inkwarden/Entries/2026-12-05.rtf"));
    EXPECT_EQ(displayTitle(entryPath(QStringLiteral("2026-12-05")), true),
              QStringLiteral("Daily writing \u00b7 2026-12-05"));
    EXPECT_EQ(displayTitle(documentsFolder() + QStringLiteral("/Morning pages 2.rtf"), false),
              QStringLiteral("Morning pages 2"));
}

TEST_F(StorageLayoutTest, ListsOnlyVisibleRtfFilesNewestFirst) {
    EXPECT_TRUE(listDocuments().isEmpty()) << "no folders yet";
    const qint64 day = 1'765'000'000;
    make(documentsFolder(), QStringLiteral("a.rtf"), day);
    make(documentsFolder(), QStringLiteral("b.RTF"), day + 60);
    make(documentsFolder(), QStringLiteral("c.txt"), day + 120);
    make(documentsFolder(), QStringLiteral(".notes.rtf"), day + 120);
    make(documentsFolder() + QStringLiteral("/sub"), QStringLiteral("d.rtf"), day + 120);
    make(entriesFolder(), QStringLiteral("2026-12-05.rtf"), day);
    make(entriesFolder(), QStringLiteral("2026-12-06.rtf"), day + 30);

    const QList<WritingDocument> documents = listDocuments();
    // Equal times keep library documents before daily entries.
    EXPECT_EQ(names(documents),
              (QStringList{QStringLiteral("b.RTF"), QStringLiteral("2026-12-06.rtf (entry)"),
                           QStringLiteral("a.rtf"), QStringLiteral("2026-12-05.rtf (entry)")}));
    EXPECT_EQ(documents.first().modifiedAt, QDateTime::fromSecsSinceEpoch(day + 60, Qt::UTC));
}

TEST_F(StorageLayoutTest, OnlyFilesDirectlyInTheTwoFoldersAreOurs) {
    const QString inside = make(documentsFolder(), QStringLiteral("Plan.rtf"));
    const QString outside = make(home.path(), QStringLiteral("secret.rtf"));
    EXPECT_TRUE(isInsideDocumentFolders(inside, true));
    EXPECT_TRUE(isInsideDocumentFolders(entryPath(QStringLiteral("2026-12-05")), true));
    EXPECT_FALSE(isInsideDocumentFolders(outside, true));
    EXPECT_FALSE(
        isInsideDocumentFolders(documentsFolder() + QStringLiteral("/../../../secret.rtf"), false));
    EXPECT_FALSE(isInsideDocumentFolders(documentsFolder() + QStringLiteral("/sub/x.rtf"), false));
    EXPECT_FALSE(isInsideDocumentFolders(documentsFolder() + QStringLiteral("/Plan.txt"), false));
    // Only the normalised form counts: "sub/.." may climb out through a linked folder.
    EXPECT_FALSE(isInsideDocumentFolders(documentsFolder() + QStringLiteral("/sub/../Plan.rtf"), false));
    EXPECT_EQ(normalizedPath(documentsFolder() + QStringLiteral("/sub/../Plan.rtf")), inside);
    EXPECT_FALSE(isInsideDocumentFolders(QStringLiteral("Plan.rtf"), false)) << "relative";
    EXPECT_TRUE(normalizedPath(QStringLiteral("Plan.rtf")).isEmpty());
    EXPECT_TRUE(normalizedPath(inside + QChar(u'\0') + QStringLiteral(".rtf")).isEmpty());

    const QString link = documentsFolder() + QStringLiteral("/link.rtf");
    ASSERT_TRUE(QFile::link(outside, link));
    EXPECT_FALSE(isInsideDocumentFolders(link, true)) << "a link out must not be followed";
    EXPECT_TRUE(isInsideDocumentFolders(link, false)) << "the link itself is ours to remove";
}

TEST_F(StorageLayoutTest, ReadingAPipeFailsAtOnceInsteadOfBlocking) {
    QDir().mkpath(entriesFolder());
    const QString fifo = entryPath(QStringLiteral("2026-12-05"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const ReadResult result = readDocument(fifo);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.text.isEmpty());
}

TEST_F(StorageLayoutTest, ReadErrorsNameTheFile) {
    const ReadResult missing = readDocument(documentsFolder() + QStringLiteral("/Gone.rtf"));
    EXPECT_TRUE(missing.error.contains(QStringLiteral("Gone.rtf"))) << missing.error.toStdString();
    const QString notRtf = make(documentsFolder(), QStringLiteral("Plain.rtf"));
    QFile file(notRtf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just some text");
    file.close();
    EXPECT_FALSE(readDocument(notRtf).ok());
}

} // namespace
} // namespace inkwarden::storage

#include "documents/atomic_file.h"
#include "documents/document_names.h"
#include "documents/storage_layout.h"
#include "support/file_bytes.h"
#include "support/scoped_file_size_limit.h"
#include "support/temp_home.h"

#include <QDir>
#include <QTextBoundaryFinder>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;
using testing::modeOf;
using testing::writeBytes;

TEST(AtomicFileTest, ReplacesTheFileWholeAndPrivatelyOrNotAtAll) {
    testing::TempHome home;
    const QString root = home.dataHome() + u"/Inkwarden"_s, path = root + u"/Entries/1.rtf"_s;
    ASSERT_FALSE(writeFileAtomically(path, "old"));
    EXPECT_TRUE(modeOf(root) == 0700 && modeOf(root + u"/Entries"_s) == 0700);
    // A chain of links is written through to the file at its end; the links stay.
    ::chmod(QFile::encodeName(path).constData(), 0644);
    ASSERT_TRUE(QFile::link(u"Entries/1.rtf"_s, root + u"/link.rtf"_s));
    ASSERT_TRUE(QFile::link(u"link.rtf"_s, root + u"/outer.rtf"_s));
    ASSERT_FALSE(writeFileAtomically(root + u"/outer.rtf"_s, "new"));
    EXPECT_TRUE(testing::bytesOf(path) == "new" && modeOf(path) == 0600 &&
                QFileInfo(root + u"/outer.rtf"_s).isSymLink());
    const auto error = [&path] {
        const auto limit = testing::fileSizeLimit(64);
        return writeFileAtomically(path, QByteArray(1024, 'x'));
    }();
    EXPECT_TRUE(error && error->startsWith(u"Couldn’t write “1.rtf”: "_s));
    EXPECT_EQ(testing::bytesOf(path), "new");
    // What a crash mid-save leaves is swept; files that merely look alike stay.
    for (const QString& name : {kLeftoverSavePrefix + u"a1B2c3"_s, kLeftoverSavePrefix + u"a1B2c"_s,
                                u"inkwarden-save-a1B2c3"_s})
        writeBytes(root + u'/' + name, "x");
    removeLeftoverSaves(root);
    const auto files = QDir::Files | QDir::Hidden;
    EXPECT_EQ(QDir(root + u"/Entries"_s).entryList(files), QStringList{u"1.rtf"_s})
        << "nothing left";
    EXPECT_EQ(QDir(root).entryList(files, QDir::Name),
              (QStringList{kLeftoverSavePrefix + u"a1B2c"_s, u"inkwarden-save-a1B2c3"_s,
                           u"link.rtf"_s, u"outer.rtf"_s}));
}

TEST(DocumentNamesTest, TypedNamesAndFirstLinesBecomeSafeNamesAndTitles) {
    const QString flags = u"\U0001F1E9\U0001F1EA"_s.repeated(50),
                  accents = u"e\u0301"_s.repeated(50);
    for (const auto& [name, typed, expected] :
         QList<std::tuple<QString (*)(const QString&), QString, QString>>{
             {names::cleanDocumentName, u"  Notes: May/June.  \nSecond"_s, u"Notes- May-June"_s},
             {names::cleanDocumentName, u" .\u2028Behind a line separator"_s, u""_s},
             {names::cleanDocumentName, u"../../etc/.pass\0wd \U0001F58B"_s,
              u"-..-etc-.passwd \U0001F58B"_s},
             {names::suggestedTitle, u""_s, u"Untitled"_s},
             {names::suggestedTitle, u"\r\n\u2029\u0085  Morning pages \r\nrest"_s,
              u"Morning pages"_s},
             {names::suggestedTitle, u"\n   \nText below blanks"_s, u"Untitled"_s},
             // A person counts an accent or a flag as part of one character.
             {names::suggestedTitle, accents, accents.first(96)},
             {names::suggestedTitle, flags, flags.first(48 * 4)},
             // Shown on one line; right-to-left text isolated, with what it opens closed.
             {names::shownName, u"\u05D0 \u2067x\r\ny\tz\u0085"_s,
              u"\u2068\u05D0 \u2067x\u23CEy\uFFFDz\u23CE\u2069\u2069"_s}})
        EXPECT_EQ(name(typed), expected) << typed.toStdString();
    // Bytes that are not UTF-8 keep their name apart, and its folders and characters as they are.
    const QByteArray raw = "/h\xC3\xA9/a\xE9\x81\xF0\x90\x82\x80";
    const QString carried = names::fromNativePath(raw);
    EXPECT_TRUE(carried.startsWith(u"/h\u00E9/a"_s) && names::nativePath(carried) == raw &&
                names::singleLineName(carried.sliced(4)) ==
                    u"a\u00E9\uFFFD\u00F0\uFFFD\u201A\u20AC"_s);
    EXPECT_EQ(names::nativePath(u"\U00010080"_s), "\xF0\x90\x82\x80");
}

TEST(StorageLayoutTest, ListsOpensAndNamesTheRtfFilesOfBothFoldersAndOnlyThose) {
    testing::TempHome home;
    EXPECT_TRUE(storage::listDocuments().isEmpty()) << "no folders yet";
    const QString documents = storage::documentsFolder(), outside = home.path() + u"/secret.rtf"_s;
    EXPECT_EQ(storage::entryPath(u"1"_s), home.dataHome() + u"/Inkwarden/Entries/1.rtf"_s);
    const RichText written(u"Plan\nB"_s, {TextRun{0, 6, u"Georgia"_s, 21, false, true, {}, {}}});
    ASSERT_FALSE(storage::writeDocument(documents + u"/X.RTF"_s, written));
    for (const QString& path : {documents + u"/c.txt"_s, documents + u"/.notes.rtf"_s,
                                documents + u"/sub/d.rtf"_s, outside})
        writeBytes(path, "just some text");
    const qint64 day = 1'765'000'000;
    for (const auto& [path, modified] :
         QList<std::pair<QString, qint64>>{{documents + u"/X.RTF"_s, day + 60},
                                           {documents + u"/a.rtf"_s, day},
                                           {storage::entryPath(u"2026-12-05"_s), day},
                                           {storage::entryPath(u"2026-12-06"_s), day + 30}}) {
        if (!QFileInfo::exists(path))
            writeBytes(path, "{\\rtf1 x}");
        const utimbuf times{modified, modified};
        ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
    }
    QStringList titles;
    for (const WritingDocument& document : storage::listDocuments())
        titles.append(storage::displayTitle(document.url.toLocalFile(), document.isDailyEntry));
    // Equal times keep library documents before daily entries.
    EXPECT_EQ(titles, (QStringList{u"X"_s, u"Daily writing · 2026-12-06"_s, u"a"_s,
                                   u"Daily writing · 2026-12-05"_s}));
    EXPECT_EQ(storage::listDocuments().first().modifiedAt.toSecsSinceEpoch(), day + 60);
    const storage::ReadResult read = storage::readDocument(documents + u"/X.RTF"_s);
    EXPECT_TRUE(read.ok() && read.text == written) << read.error.toStdString();

    // A taken name, even by a dangling link, is never reused.
    ASSERT_TRUE(QFile::link(u"nowhere"_s, documents + u"/a 2.rtf"_s));
    EXPECT_EQ(names::uniqueLibraryPath(documents, u"a"_s), documents + u"/a 3.rtf"_s);
    // A name past the file system's limit (48 Khmer characters are 432 bytes) is cut where a
    // character ends, and the next copy's name fits too.
    const QString khmer = QString(u"សួស្តី"_s).repeated(24);
    for (const QString& suffix : {QString(), u" 2"_s}) {
        const QString path = names::uniqueLibraryPath(documents, khmer);
        const QString base = QFileInfo(path).completeBaseName().chopped(suffix.size());
        QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, khmer);
        characters.setPosition(base.size());
        EXPECT_TRUE(khmer.startsWith(base) && base.size() > 60 && characters.isAtBoundary() &&
                    path.endsWith(suffix + u".rtf"_s) &&
                    QFile::encodeName(QFileInfo(path).fileName()).size() <= 255)
            << path.toStdString();
        writeBytes(path, "{\\rtf1 x}");
    }

    // Only files directly in the two folders are ours; a link only when it leads back in.
    ASSERT_TRUE(QFile::link(outside, documents + u"/out.rtf"_s));
    ASSERT_TRUE(QFile::link(u"X.RTF"_s, documents + u"/in.rtf"_s));
    for (const QString& path :
         {documents + u"/X.RTF"_s, documents + u"/in.rtf"_s, storage::entryPath(u"new"_s)})
        EXPECT_TRUE(storage::isInsideDocumentFolders(path, true)) << path.toStdString();
    EXPECT_TRUE(storage::isInsideDocumentFolders(documents + u"/out.rtf"_s, false))
        << "ours to remove";
    // Only the normalised form counts: "sub/.." may climb out through a linked folder.
    for (const QString& path :
         {documents + u"/out.rtf"_s, outside, documents + u"/../../../secret.rtf"_s,
          documents + u"/sub/d.rtf"_s, documents + u"/c.txt"_s, documents + u"/sub/../a.rtf"_s,
          u"a.rtf"_s})
        EXPECT_FALSE(storage::isInsideDocumentFolders(path, true)) << path.toStdString();
    EXPECT_TRUE(storage::normalizedPath(u"/a\0.rtf"_s).isEmpty()) << "no file system holds a NUL";

    // Errors name the file; a pipe under a document's name fails at once instead of blocking.
    ASSERT_EQ(::mkfifo(QFile::encodeName(documents + u"/Pipe.rtf"_s).constData(), 0600), 0);
    for (const auto& [name, message] : QList<std::pair<QString, QString>>{
             {u"Gone.rtf"_s, u"Couldn’t open “Gone.rtf”: "_s}, // then the system's reason
             {u"c.txt"_s, u"Couldn’t open “c.txt”: This file is not an RTF document."_s},
             {u"Pipe.rtf"_s, u"“Pipe.rtf” is not a document."_s}}) {
        const auto [text, error] = storage::readDocument(documents + u'/' + name);
        EXPECT_TRUE(error.startsWith(message) && text.isEmpty()) << error.toStdString();
    }
}

} // namespace
} // namespace inkwarden

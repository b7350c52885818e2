#include "documents/rtf/rtf.h"
#include "documents/storage_layout.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "store/store_harness.h"
#include "support/file_bytes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::StringLiterals;
using testing::bytesOf;
using testing::writeBytes;

// What the reader says when it gives up; anything else is a message nobody can act on.
const QStringList kReasons = {
    u"This file is empty."_s,
    u"This file is not an RTF document."_s,
    u"This RTF document is nested too deeply to open."_s,
    u"This RTF document is damaged."_s,
    u"This document is longer than 5,000,000 characters, the most Inkwarden can open."_s,
};

bool isClearFailure(const QString& error, const QString& fileName) {
    const QString prefix = u"Couldn’t open “%1”: "_s.arg(fileName);
    return error.startsWith(prefix) && kReasons.contains(error.mid(prefix.size()));
}

class BadFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.clock.set(testing::localTime(2031, 5, 20, 7, 0));
        h.start();
        QDir().mkpath(storage::documentsFolder());
    }
    QString library(const QString& name) const { return storage::documentsFolder() + u'/' + name; }

    testing::StoreHarness h;
};

// Every input the reader's fuzzer kept and every file other programs made:
// each opens, and the editor then shows exactly the store's text, or the
// program says plainly why it cannot.
TEST_F(BadFilesTest, EveryCorpusFileOpensOrFailsWithAClearMessage) {
    int opened = 0, refused = 0;
    for (const char* folder : {INKWARDEN_FUZZ_CORPUS, INKWARDEN_RTF_FIXTURES}) {
        QDirIterator files(QString::fromUtf8(folder), QDir::Files);
        while (files.hasNext()) {
            const QString source = files.next();
            if (source.endsWith(u".md"_s))
                continue;
            SCOPED_TRACE(source.toStdString());
            const QString path = library(u"Case.rtf"_s);
            writeBytes(path, bytesOf(source));
            h.store->setFileError(std::nullopt);
            if (h.store->openDocument(QUrl::fromLocalFile(path))) {
                ++opened;
                EXPECT_FALSE(h.store->fileError());
                RichTextEditor editor(*h.store);
                EXPECT_EQ(editor.textView().document()->characterCount() - 1,
                          h.store->currentContent().text().size());
            } else {
                ++refused;
                const QString error = h.store->fileError().value_or(QString());
                EXPECT_TRUE(isClearFailure(error, u"Case.rtf"_s)) << error.toStdString();
            }
        }
    }
    // The corpus holds both kinds; an empty or missing corpus proves nothing.
    EXPECT_GT(opened, 100);
    EXPECT_GT(refused, 10);
}

// What the probe reports about opening one file in a process of its own.
struct Opening {
    bool ok = false;
    QString error;
    qint64 characters = 0;
    qint64 growthKiB = 0;
};

Opening probe(const QString& path) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(INKWARDEN_DOCUMENT_PROBE), {path});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        ADD_FAILURE() << "the probe failed on " << path.toStdString();
        return {};
    }
    const QJsonObject result =
        QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    return {result.value(u"ok"_s).toBool(), result.value(u"error"_s).toString(),
            result.value(u"characters"_s).toInteger(), result.value(u"growthKiB"_s).toInteger()};
}

enum class Expect { SameText, SomeText, NoText, Refused };

struct Damage {
    const char* name;
    std::function<QByteArray(const QByteArray&)> make;
    Expect expect;
};

// A long document of our own, so cuts land inside real text and formatting.
QByteArray ownDocument() {
    RichTextBuilder builder;
    const TextRun plain{0, 0, u"Georgia"_s, 21, false, false, {}, {}};
    TextRun bold = plain, marked = plain;
    bold.bold = true;
    marked.foreground = qRgb(0, 0, 0);
    marked.background = qRgb(0xFF, 0xCC, 0x47);
    for (int paragraph = 0; paragraph < 200; ++paragraph) {
        builder.append(u"Morning pages, café au lait, "_s, plain);
        builder.append(u"bold words "_s, bold);
        builder.append(u"and a marked line 🌿 "_s, marked);
        builder.append(u"then the rest.\n"_s, plain);
    }
    return *rtf::write(builder.take());
}

TEST_F(BadFilesTest, DamagedDocumentsOpenOrFailClearlyInBoundedMemory) {
    const QByteArray whole = ownDocument();
    const qsizetype middle = whole.size() / 2;
    const auto fifty = [](const QByteArray& header, const QByteArray& filler,
                          const QByteArray& footer) {
        QByteArray bytes = header;
        bytes.reserve(50 * 1024 * 1024 + 1024);
        while (bytes.size() < 50 * 1024 * 1024)
            bytes += filler;
        return bytes + footer;
    };
    const QList<Damage> damages = {
        {"whole", [](const QByteArray& b) { return b; }, Expect::SameText},
        {"cut in the middle", [middle](const QByteArray& b) { return b.left(middle); }, Expect::SomeText},
        {"last brace missing", [](const QByteArray& b) { return b.chopped(1); }, Expect::SameText},
        {"cut inside the header", [](const QByteArray& b) { return b.left(40); }, Expect::NoText},
        {"garbage appended",
         [](const QByteArray& b) {
             QByteArray junk;
             for (int i = 0; i < 8192; ++i)
                 junk += static_cast<char>((i * 7919) & 0xFF);
             return b + junk;
         },
         Expect::SameText},
        {"NUL in the middle",
         [middle](const QByteArray& b) { return b.left(middle) + '\0' + b.mid(middle); },
         Expect::SomeText},
        {"zeroed from the middle on",
         [middle](const QByteArray& b) { return b.left(middle) + QByteArray(b.size() - middle, '\0'); },
         Expect::SomeText},
        {"a picture under the name",
         [](const QByteArray&) { return QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(4096, 'x'); },
         Expect::Refused},
        {"nested a million deep", [](const QByteArray&) { return "{\\rtf1 " + QByteArray(1000000, '{'); },
         Expect::Refused},
        {"50 MB of text",
         [&fifty](const QByteArray&) {
             return fifty("{\\rtf1\\ansi{\\fonttbl{\\f0 Georgia;}}\\f0\\fs42 ",
                          "the kettle sang while the first pages filled\\par\n", "}");
         },
         Expect::Refused},
        {"50 MB, nearly all picture",
         [&fifty](const QByteArray&) {
             return fifty("{\\rtf1\\ansi{\\fonttbl{\\f0 Georgia;}}\\f0 A caption.\\par {\\pict\\pngblip ",
                          "89504e470d0a1a0a0000000d49484452", "}\\par The end.}");
         },
         Expect::SomeText},
    };

    const Opening original = [&] {
        writeBytes(library(u"Original.rtf"_s), whole);
        return probe(library(u"Original.rtf"_s));
    }();
    ASSERT_TRUE(original.ok) << original.error.toStdString();
    ASSERT_GT(original.characters, 10000);

    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        const QByteArray bytes = damage.make(whole);
        const QString path = library(u"Damaged.rtf"_s);
        writeBytes(path, bytes);
        const Opening opening = probe(path);
        switch (damage.expect) {
        case Expect::SameText:
            EXPECT_TRUE(opening.ok) << opening.error.toStdString();
            EXPECT_EQ(opening.characters, original.characters);
            break;
        case Expect::SomeText:
            EXPECT_TRUE(opening.ok) << opening.error.toStdString();
            EXPECT_GT(opening.characters, 0);
            EXPECT_LE(opening.characters, original.characters + 1);
            break;
        case Expect::NoText:
            EXPECT_TRUE(opening.ok) << opening.error.toStdString();
            EXPECT_EQ(opening.characters, 0);
            break;
        case Expect::Refused:
            EXPECT_FALSE(opening.ok);
            EXPECT_TRUE(isClearFailure(opening.error, u"Damaged.rtf"_s)) << opening.error.toStdString();
            break;
        }
        // A few times the file, beyond a fixed allowance for the editor's own pages.
        EXPECT_LE(opening.growthKiB, 4 * bytes.size() / 1024 + 24 * 1024)
            << "grew by " << opening.growthKiB << " KiB for " << bytes.size() / 1024 << " KiB";
        // The damaged file itself is never changed by opening it.
        EXPECT_EQ(bytesOf(path), bytes);
    }
}

} // namespace
} // namespace inkwarden

#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <optional>

namespace inkwarden {

// One stretch of text with uniform formatting. Offsets count UTF-16 code units.
struct TextRun {
    qsizetype start = 0;
    qsizetype length = 0;
    QString fontFamily;
    double pointSize = 0;
    bool bold = false;
    bool italic = false;
    std::optional<QRgb> foreground; // absent: the default text colour
    std::optional<QRgb> background; // absent: no highlight

    bool hasSameFormat(const TextRun& other) const;
    friend bool operator==(const TextRun&, const TextRun&) = default;
};

} // namespace inkwarden

// A document has thousands of runs, rebuilt on every keystroke: growing the
// list moves them as bytes rather than one copy at a time.
Q_DECLARE_TYPEINFO(inkwarden::TextRun, Q_RELOCATABLE_TYPE);

namespace inkwarden {

// The writing as the store holds it: immutable UTF-16 text plus formatting
// runs in order. Paragraph breaks are U+000A. A value, cheap to copy.
class RichText {
public:
    RichText() = default;
    RichText(QString text, QList<TextRun> runs);

    const QString& text() const { return m_text; }
    const QList<TextRun>& runs() const { return m_runs; }
    qsizetype length() const { return m_text.size(); }
    void reserve(qsizetype characters) { m_text.reserve(characters); }
    void reserveRuns(qsizetype runs) { m_runs.reserve(runs); }
    bool isEmpty() const { return m_text.isEmpty(); }

    // True when the runs follow each other without gap or overlap from 0 to
    // length(). Empty runs are allowed; an empty text may have no runs.
    bool runsCoverText() const;
    // True when the runs cover the text, none is empty and neighbours differ
    // in format: the one canonical form, which equality relies on.
    bool hasMaximalRuns() const;
    // The same text with empty runs dropped and equal neighbours merged.
    // Only meaningful when runsCoverText().
    RichText withMaximalRuns() const;

    friend bool operator==(const RichText&, const RichText&) = default;

private:
    QString m_text;
    QList<TextRun> m_runs;
};

// Builds a RichText piece by piece, merging each piece into the previous run
// when the format is the same, so the result always has maximal runs.
class RichTextBuilder {
public:
    // Appends `text` with the format of `format` (its start and length are ignored).
    void append(QStringView text, const TextRun& format);
    qsizetype length() const { return m_text.size(); }
    void reserve(qsizetype characters) { m_text.reserve(characters); }
    void reserveRuns(qsizetype runs) { m_runs.reserve(runs); }
    // Replaces lone UTF-16 surrogates with U+FFFD; lengths stay as they are.
    void replaceLoneSurrogates();
    // Removes the last code unit when it is `unit`; answers whether it did.
    bool chopTrailing(QChar unit);
    RichText take();

private:
    QString m_text;
    QList<TextRun> m_runs;
};

} // namespace inkwarden

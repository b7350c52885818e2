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

// The writing as the store holds it: immutable UTF-16 text plus formatting
// runs in order. Paragraph breaks are U+000A. A value, cheap to copy.
class RichText {
public:
    RichText() = default;
    RichText(QString text, QList<TextRun> runs);

    const QString& text() const { return m_text; }
    const QList<TextRun>& runs() const { return m_runs; }
    qsizetype length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }

    friend bool operator==(const RichText&, const RichText&) = default;

private:
    QString m_text;
    QList<TextRun> m_runs;
};

} // namespace inkwarden

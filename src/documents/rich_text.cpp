#include "documents/rich_text.h"

#include <utility>

namespace inkwarden {

bool TextRun::hasSameFormat(const TextRun& other) const {
    return fontFamily == other.fontFamily && pointSize == other.pointSize && bold == other.bold &&
           italic == other.italic && foreground == other.foreground &&
           background == other.background;
}

RichText::RichText(QString text, QList<TextRun> runs)
    : m_text(std::move(text))
    , m_runs(std::move(runs)) {}

bool RichText::runsCoverText() const {
    qsizetype end = 0;
    for (const TextRun& run : m_runs) {
        if (run.start != end || run.length < 0 || run.length > m_text.size() - end)
            return false;
        end += run.length;
    }
    return end == m_text.size();
}

bool RichText::hasMaximalRuns() const {
    if (!runsCoverText())
        return false;
    for (qsizetype index = 0; index < m_runs.size(); ++index) {
        if (m_runs[index].length == 0)
            return false;
        if (index > 0 && m_runs[index].hasSameFormat(m_runs[index - 1]))
            return false;
    }
    return true;
}

RichText RichText::withMaximalRuns() const {
    RichTextBuilder builder;
    for (const TextRun& run : m_runs)
        builder.append(QStringView(m_text).mid(run.start, run.length), run);
    return builder.take();
}

void RichTextBuilder::append(QStringView text, const TextRun& format) {
    if (text.isEmpty())
        return;
    if (!m_runs.isEmpty() && m_runs.last().hasSameFormat(format)) {
        m_runs.last().length += text.size();
    } else {
        TextRun run = format;
        run.start = m_text.size();
        run.length = text.size();
        m_runs.append(std::move(run));
    }
    m_text.append(text);
}

void RichTextBuilder::replaceLoneSurrogates() {
    const qsizetype size = m_text.size();
    for (qsizetype index = 0; index < size; ++index) {
        const QChar unit = m_text.at(index);
        if (!unit.isSurrogate())
            continue;
        if (unit.isHighSurrogate() && index + 1 < size && m_text.at(index + 1).isLowSurrogate())
            ++index;
        else
            m_text[index] = QChar::ReplacementCharacter;
    }
}

bool RichTextBuilder::chopTrailing(QChar unit) {
    if (!m_text.endsWith(unit))
        return false;
    m_text.chop(1);
    if (--m_runs.last().length == 0)
        m_runs.removeLast();
    return true;
}

RichText RichTextBuilder::take() {
    RichText result(std::exchange(m_text, QString()), std::exchange(m_runs, {}));
    return result;
}

} // namespace inkwarden

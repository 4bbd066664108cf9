#include "app/scenario/step_values.h"

#include <QKeySequence>
#include <QRegularExpression>

namespace app {

std::optional<QMessageBox::StandardButton> answerButton(const QString& word) {
    const QString w = word.toLower();
    if (w == QLatin1String("yes")) return QMessageBox::Yes;
    if (w == QLatin1String("no")) return QMessageBox::No;
    if (w == QLatin1String("cancel")) return QMessageBox::Cancel;
    if (w == QLatin1String("ok")) return QMessageBox::Ok;
    return std::nullopt;
}

QString answerWord(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Yes:
            return QStringLiteral("Yes");
        case QMessageBox::No:
            return QStringLiteral("No");
        case QMessageBox::Cancel:
            return QStringLiteral("Cancel");
        case QMessageBox::Ok:
            return QStringLiteral("OK");
        default:
            return QStringLiteral("button %1").arg(static_cast<int>(button));
    }
}

std::optional<QDate> parseDateSpec(const QString& text, const QDate& today) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("none")) return QDate();
    static const QRegularExpression relative(QStringLiteral("^today(?:([+-])(\\d{1,5}))?$"));
    if (const auto m = relative.match(t); m.hasMatch()) {
        if (m.captured(1).isEmpty()) return today;
        const qint64 days = m.captured(2).toLongLong();
        return today.addDays(m.captured(1) == QLatin1String("-") ? -days : days);
    }
    static const QRegularExpression absolute(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    if (const auto m = absolute.match(t); m.hasMatch()) {
        const QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
        if (d.isValid()) return d;
    }
    return std::nullopt;
}

std::optional<QKeyCombination> parseKeySpec(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("Enter"), Qt::CaseInsensitive) == 0) {
        return QKeyCombination(Qt::Key_Return);
    }
    const QKeySequence seq = QKeySequence::fromString(t, QKeySequence::PortableText);
    if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown) return std::nullopt;
    return seq[0];
}

std::optional<IndexedName> splitIndexedName(const QString& name) {
    static const QRegularExpression indexed(QStringLiteral("^(.+)\\((\\d+)\\)$"));
    const auto m = indexed.match(name);
    if (!m.hasMatch()) return std::nullopt;
    return IndexedName{m.captured(1), m.captured(2).toInt()};
}

QString displayedCaption(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption.at(i + 1) == QLatin1Char('&')) {
                shown += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        shown += caption.at(i);
    }
    return shown;
}

}  // namespace app

// The key and text rules of the entry boxes, and how forms and invalid entries look.
#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QVariant>
#include <QWidget>

#include "platform/common/global_services.h"

namespace platform {
namespace keys {
namespace {

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}
bool isLetter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool isEditingKey(int keyAscii) {
    switch (keyAscii) {
        case kCtrlA:
        case kCtrlC:
        case kBackspace:
        case kCtrlV:
        case kCtrlX:
        case kCtrlZ:
            return true;
        default:
            return false;
    }
}

bool isOfficerKey(int keyAscii) {
    return isDigit(keyAscii) || isEditingKey(keyAscii);
}

bool isReferenceKey(int keyAscii) {
    return isDigit(keyAscii) || isLetter(keyAscii) || keyAscii == '-' || isEditingKey(keyAscii);
}

bool isReferenceText(const std::string& text) {
    for (const char c : text) {
        const int code = static_cast<unsigned char>(c);
        if (!isDigit(code) && !isLetter(code) && code != '-') return false;
    }
    return true;
}

bool isCurrencyKey(int keyAscii, const std::string& textOutsideSelection) {
    if (isDigit(keyAscii) || isEditingKey(keyAscii)) return true;
    if (keyAscii == '$' || keyAscii == ',' || keyAscii == '-') return true;
    if (keyAscii == '.') return textOutsideSelection.find('.') == std::string::npos;
    return false;
}

}  // namespace keys

namespace {

bool pass(int& keyAscii, bool ok) {
    if (!ok) keyAscii = 0;
    return ok;
}

// The box's text without its selection (what stays when the typed key replaces the selection).
std::string textOutsideSelection(QWidget* box) {
    if (const auto* edit = qobject_cast<QLineEdit*>(box)) {
        QString text = edit->text();
        if (edit->hasSelectedText())
            text.remove(edit->selectionStart(), edit->selectedText().size());
        return text.toStdString();
    }
    return box ? box->property("text").toString().toStdString() : std::string();
}

const QColor kInvalidBackground(255, 210, 210);

QIcon applicationIcon() {
    if (!QApplication::windowIcon().isNull()) return QApplication::windowIcon();
    static QIcon icon = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(QColor(24, 54, 104));
        QPainter painter(&pixmap);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(24);
        painter.setFont(font);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("H"));
        return QIcon(pixmap);
    }();
    return icon;
}

constexpr const char* kSavedPalette = "halberonSavedPalette";
constexpr const char* kSavedOwnPalette = "halberonSavedOwnPalette";
constexpr const char* kSavedToolTip = "halberonSavedToolTip";
constexpr const char* kSavedAutoFill = "halberonSavedAutoFill";

}  // namespace

bool BackEndGlobalServices::IsOfficerKey(int& keyAscii) {
    return pass(keyAscii, keys::isOfficerKey(keyAscii));
}

bool BackEndGlobalServices::IsReferenceKey(int& keyAscii) {
    return pass(keyAscii, keys::isReferenceKey(keyAscii));
}

bool BackEndGlobalServices::IsReferenceText(const std::string& text) {
    return keys::isReferenceText(text);
}

bool BackEndGlobalServices::IsCurrencyKey(int& keyAscii, QWidget* box) {
    return pass(keyAscii, keys::isCurrencyKey(keyAscii, textOutsideSelection(box)));
}

void BackEndGlobalServices::MarkInvalid(QWidget* control) {
    if (!control) return;
    if (!control->property(kInvalidProperty).toBool()) {
        control->setProperty(kSavedPalette, QVariant::fromValue(control->palette()));
        control->setProperty(kSavedOwnPalette, control->testAttribute(Qt::WA_SetPalette));
        control->setProperty(kSavedToolTip, control->toolTip());
        control->setProperty(kSavedAutoFill, control->autoFillBackground());
        control->setProperty(kInvalidProperty, true);
    }
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, kInvalidBackground);
    palette.setColor(QPalette::Window, kInvalidBackground);
    control->setPalette(palette);
    control->setAutoFillBackground(true);  // labels paint their background only when asked
    control->setToolTip(QString::fromLatin1(kInvalidToolTip));
}

void BackEndGlobalServices::ClearInvalid(QWidget* control) {
    if (!control || !control->property(kInvalidProperty).toBool()) return;
    if (control->property(kSavedOwnPalette).toBool()) {
        control->setPalette(control->property(kSavedPalette).value<QPalette>());
    } else {
        control->setPalette(QPalette());  // back to the inherited palette
    }
    control->setToolTip(control->property(kSavedToolTip).toString());
    control->setAutoFillBackground(control->property(kSavedAutoFill).toBool());
    for (const char* name :
         {kSavedPalette, kSavedOwnPalette, kSavedToolTip, kSavedAutoFill, kInvalidProperty}) {
        control->setProperty(name, QVariant());
    }
}

void BackEndGlobalServices::PrepareForm(QWidget* form) {
    if (!form) return;
    form->setWindowIcon(applicationIcon());
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0 && font.pointSizeF() < 9.0) font.setPointSizeF(9.0);
    form->setFont(font);
}

}  // namespace platform

#include "ide/main/options_form.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "ide/main/main_form.h"
#include "ide/texts/settings.h"
#include "ide/texts/texts.h"

namespace {

constexpr std::int32_t CaptionText = 11;
constexpr std::int32_t OkText = 101;
constexpr std::int32_t CancelText = 102;
constexpr std::int32_t LanguageText = 500;

} // namespace

TFormOptions::TFormOptions(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    FormCreate();
}

void TFormOptions::FormCreate()
{
    setObjectName(QStringLiteral("FormOptions"));
    setFixedSize(288, 201);

    gpbLang = new QGroupBox(this);
    gpbLang->setObjectName(QStringLiteral("gpbLang"));
    gpbLang->setGeometry(8, 8, 272, 57);
    cbxLang = new QComboBox(gpbLang);
    cbxLang->setObjectName(QStringLiteral("cbxLang"));
    cbxLang->setGeometry(12, 22, 248, 23);
    cbxLang->addItems({QStringLiteral("English (Английский)"), QStringLiteral("Русский (Russian)")});

    btnOk = new QPushButton(this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(124, 168, 75, 25);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &TFormOptions::btnOkClick);
    // Esc closes the dialog as this button does (QDialog's reject).
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(205, 168, 75, 25);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TFormOptions::btnCancelClick);

    setWindowTitle(GetText(CaptionText));
    gpbLang->setTitle(GetText(LanguageText));
    btnOk->setText(GetText(OkText));
    btnCancel->setText(GetText(CancelText));

    // A stored value other than 0 and 1 selects no item.
    const std::int32_t stored = ReadRegInt(kLanguageSetting);
    cbxLang->setCurrentIndex(stored == 0 || stored == 1 ? stored : -1);
}

void TFormOptions::btnOkClick()
{
    // No selection stores -1, which reads back as English.
    WriteRegInt(kLanguageSetting, cbxLang->currentIndex());
    LoadLanguageSetting();
    ApplyMainFormLanguage();
    accept();
}

void TFormOptions::btnCancelClick()
{
    reject();
}

#include "ide/main/devices_form.h"

#include "ide/texts/texts.h"

TformDevices* formDevices = nullptr;

namespace {

constexpr std::int32_t CaptionText = 9;

} // namespace

TformDevices::TformDevices(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    FormCreate();
}

TformDevices::~TformDevices()
{
    if (formDevices == this)
        formDevices = nullptr;
}

void TformDevices::FormCreate()
{
    formDevices = this;
    setObjectName(QStringLiteral("formDevices"));
    resize(307, 297);
    setWindowTitle(GetText(CaptionText));
}

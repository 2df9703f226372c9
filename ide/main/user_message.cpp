#include "ide/main/user_message.h"

#include <utility>

#include <QApplication>
#include <QMessageBox>

#include "ide/texts/texts.h"

namespace {

TMessageSink& Sink()
{
    static TMessageSink sink;
    return sink;
}

} // namespace

void ShowUserMessage(const QString& text)
{
    if (Sink()) {
        Sink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, GetText(1), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

TMessageSink SetMessageSink(TMessageSink sink)
{
    return std::exchange(Sink(), std::move(sink));
}

#pragma once

// The user's side of the main program's dialogs for tests driven through its
// commands: the model dialog answered with a model and Ok, a file dialog with
// a file name (or cancelled), a question with a button. Every dialog shown is
// recorded with what the user would have seen of it.
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "ide/main/model_select_dialog.h"
#include "ide/main/user_message.h"

namespace twtest {

// What a file dialog showed when it was answered.
struct ShownFileDialog {
    QString title;
    QStringList filters;
    QString selectedFilter;
    QString defaultSuffix;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    bool confirmsOverwrite = false;
    QString folder;   // where it opened
    QString proposed; // the file it offered before the user chose (save dialogs)
};

class DialogAnswers {
public:
    DialogAnswers()
        : previous_(SetDialogSink([this](QDialog& dialog) { return Answer(dialog); }))
    {
    }
    ~DialogAnswers() { SetDialogSink(previous_); }
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    QString model = "PIC12F508";
    QString fileName;                                   // empty: the file dialog is cancelled
    QMessageBox::StandardButton question = QMessageBox::Cancel;
    QStringList shown;                                  // "model N", "file", "question"
    std::vector<ShownFileDialog> files;                 // every file dialog, in order
    QStringList questions;                              // the text of every question

private:
    int Answer(QDialog& dialog)
    {
        if (auto* choice = dynamic_cast<Tfrmopn*>(&dialog)) {
            shown << QStringLiteral("model %1").arg(choice->TypeOfCall);
            choice->cbHexSelectMC->setCurrentIndex(choice->cbHexSelectMC->findText(model));
            choice->cbHexSelectMCChange();
            choice->Button1Click();
            return choice->result();
        }
        if (auto* chooser = dynamic_cast<QFileDialog*>(&dialog)) {
            shown << QStringLiteral("file");
            // With no file chosen a dialog names its folder as the selection.
            const QString folder = chooser->directory().absolutePath();
            QString proposed = chooser->selectedFiles().value(0);
            if (chooser->acceptMode() != QFileDialog::AcceptSave || QDir(proposed) == QDir(folder))
                proposed.clear();
            files.push_back({chooser->windowTitle(), chooser->nameFilters(), chooser->selectedNameFilter(),
                             chooser->defaultSuffix(), chooser->acceptMode(),
                             !chooser->testOption(QFileDialog::DontConfirmOverwrite), folder, proposed});
            if (fileName.isEmpty())
                return QDialog::Rejected;
            chooser->selectFile(fileName);
            return QDialog::Accepted;
        }
        if (auto* box = dynamic_cast<QMessageBox*>(&dialog)) {
            shown << QStringLiteral("question");
            questions << box->text();
            return question;
        }
        return QDialog::Rejected;
    }

    TDialogSink previous_;
};

} // namespace twtest

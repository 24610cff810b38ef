#include "QtUiServices.h"

#include "CChamferDlg.h"
#include "CChangeArcDlg.h"
#include "CChangeCompDlg.h"
#include "CChangeFillAreaDlg.h"
#include "CChangeLineDlg.h"
#include "CChangePadDlg.h"
#include "CChangePolygonDlg.h"
#include "CChangeTxtDlg.h"
#include "CChangeViaDlg.h"
#include "CFilletDlg.h"
#include "CGetDPIDlg.h"
#include "CInputComponentTxtDlg.h"
#include "CInsertEntityDlg.h"
#include "COffsetDialog.h"
#include "CSetArrayDlg.h"
#include "CSetGridDlg.h"
#include "CSetLayerColorDlg.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QStringDecoder>

#include <algorithm>

namespace
{

// One dialog: the values type it edits (as its index in DialogValues) and how it opens.
struct DialogRow {
    std::size_t type;
    bool (*open)(QWidget* parent, DialogValues values);
};

template <class Values, bool (*Dialog)(QWidget*, Values&)> constexpr DialogRow Row()
{
    return {DialogValues(static_cast<Values*>(nullptr)).index(),
            [](QWidget* parent, DialogValues values) {
                return Dialog(parent, *std::get<Values*>(values));
            }};
}

const DialogRow kDialogs[] = {
    Row<DpiValues, &CGetDPIDlg::Ask>(),
    Row<FilePrompt, &QtUiServices::PromptFile>(),
    Row<Question, &QtUiServices::AskYesNo>(),
    Row<SaveQuestion, &QtUiServices::AskSaveChanges>(),
    Row<ListChoice, &QtUiServices::ChooseFromList>(),
    Row<PolygonProperties, &CChangePolygonDlg::Ask>(),
    Row<TextProperties, &CChangeTxtDlg::Ask>(),
    Row<DesignatorValues, &CInputComponentTxtDlg::Ask>(),
    Row<TrackProperties, &CChangeLineDlg::Ask>(),
    Row<ArcProperties, &CChangeArcDlg::Ask>(),
    Row<PadProperties, &CChangePadDlg::Ask>(),
    Row<ViaProperties, &CChangeViaDlg::Ask>(),
    Row<FillProperties, &CChangeFillAreaDlg::Ask>(),
    Row<ComponentProperties, &CChangeCompDlg::Ask>(),
    Row<LayersValues, &CSetLayerColorDlg::Ask>(),
    Row<GridValues, &CSetGridDlg::Ask>(),
    Row<InsertValues, &CInsertEntityDlg::Ask>(),
    Row<OffsetValues, &COffsetDialog::Ask>(),
    Row<ChamferValues, &CChamferDlg::Ask>(),
    Row<FilletValues, &CFilletDlg::Ask>(),
    Row<ArrayValues, &CSetArrayDlg::Ask>(),
};

} // namespace

bool QtUiServices::Open(DialogValues values)
{
    const auto row = std::find_if(std::begin(kDialogs), std::end(kDialogs),
                                  [&](const DialogRow& r) { return r.type == values.index(); });
    return row != std::end(kDialogs) && row->open(Parent(), values);
}

QWidget* QtUiServices::Parent() const
{
    if (m_parent)
        return m_parent;
    return QApplication::activeWindow();
}

QString QtUiServices::ToQString(const std::string& text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    if (!utf8.hasError())
        return s;
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

bool QtUiServices::IsModalOpen()
{
    return QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr;
}

QStringList
QtUiServices::NameFilters(const std::vector<std::pair<std::string, std::string>>& filters)
{
    QStringList result;
    for (const auto& [label, patterns] : filters) {
        QStringList globs;
        for (const QString& pattern :
             QString::fromStdString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            // Every letter as a [xX] class, so that the match ignores case on any file
            // system.
            QString glob;
            for (QChar c : pattern.trimmed()) {
                if (c.isLetter() && c.toLower() != c.toUpper())
                    glob += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
                else
                    glob += c;
            }
            globs << glob;
        }
        result << ToQString(label) + QLatin1String(" (") + globs.join(QLatin1Char(' ')) +
                      QLatin1Char(')');
    }
    return result;
}

bool QtUiServices::PromptFile(QWidget* parent, FilePrompt& prompt)
{
    QFileDialog dialog(parent, ToQString(prompt.title));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(prompt.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(prompt.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QString suffix = ToQString(prompt.defaultExtension);
    while (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    if (!prompt.filters.empty())
        dialog.setNameFilters(NameFilters(prompt.filters));
    if (!prompt.path.empty())
        dialog.selectFile(ToQString(prompt.path));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    prompt.path = dialog.selectedFiles().front().toStdString();
    return true;
}

bool QtUiServices::AskYesNo(QWidget* parent, Question& question)
{
    return QMessageBox::question(parent, QString::fromLatin1(kCaption), ToQString(question.text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtUiServices::AskSaveChanges(QWidget* parent, SaveQuestion& question)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kCaption), ToQString(question.text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    // Esc and the window's close button answer Cancel.
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return false;
    question.save = answer == QMessageBox::Yes;
    return true;
}

bool QtUiServices::ChooseFromList(QWidget* parent, ListChoice& choice)
{
    if (IsModalOpen() || choice.items.empty())
        return false;
    QMenu menu(parent);
    for (std::size_t i = 0; i < choice.items.size(); ++i) {
        QAction* item = menu.addAction(ToQString(choice.items[i]));
        item->setData(int(i));
        if (int(i) == choice.checked) {
            item->setCheckable(true);
            item->setChecked(true);
        }
    }
    QAction* picked = menu.exec(QCursor::pos());
    if (!picked)
        return false;
    choice.chosen = picked->data().toInt();
    return true;
}

void QtUiServices::MessageBox(const std::string& text)
{
    QMessageBox::information(Parent(), QString::fromLatin1(kCaption), ToQString(text));
}

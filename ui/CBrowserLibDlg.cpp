#include "CBrowserLibDlg.h"

#include "DialogControls.h"

#include "CPreViewStatic.h"
#include "QtUiServices.h"
#include "board/CInfomation.h"
#include "board/LibraryBrowser.h"
#include "model/CComponent.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace
{

using DialogControls::Numbered;

QStringList ToList(const std::vector<std::string>& texts)
{
    QStringList list;
    for (const std::string& t : texts)
        list << QtUiServices::ToQString(t);
    return list;
}

QStringList Texts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Fills the list when its texts differ; the signals stay quiet.
void Show(QListWidget* list, const QStringList& texts)
{
    if (Texts(list) == texts)
        return;
    const QSignalBlocker block(list);
    list->clear();
    list->addItems(texts);
}

} // namespace

CBrowserLibDlg::CBrowserLibDlg(LibrarySet& set, QWidget* parent)
    : QDialog(parent), m_browser(std::make_unique<LibraryBrowser>(set))
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Browser libraries"));
    setModal(false);
    CreateControls();
    m_browser->SetChangeHandler([this] { Refresh(); });
    Refresh();
}

CBrowserLibDlg::~CBrowserLibDlg()
{
    // Nothing may be drawn from a library once the browser is gone.
    m_preview->SetComponent(nullptr);
    m_browser->SetChangeHandler(nullptr);
    if (theInfomation)
        theInfomation->SetBrowserVisible(0);
}

QPushButton* CBrowserLibDlg::AddButton(int id, const char* text)
{
    auto* button = Numbered(new QPushButton(QString::fromLatin1(text), this), id);
    button->setAutoDefault(false);
    m_buttons << button;
    return button;
}

QPushButton* CBrowserLibDlg::Button(int id) const
{
    for (QPushButton* b : m_buttons)
        if (b->property("controlId").toInt() == id)
            return b;
    return nullptr;
}

void CBrowserLibDlg::CreateControls()
{
    m_libraries = Numbered(new QListWidget(this), IDC_LIBRARIES);
    m_libraries->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_components = Numbered(new QListWidget(this), IDC_COMPONENTS);
    m_components->setSelectionMode(QAbstractItemView::SingleSelection);
    m_preview = new CPreViewStatic(this);
    m_find = Numbered(new QLineEdit(this), IDC_FIND);

    connect(AddButton(IDC_ADD, "&Add"), &QPushButton::clicked, this, &CBrowserLibDlg::OnAdd);
    connect(AddButton(IDC_REMOVE, "&Remove"), &QPushButton::clicked, this,
            &CBrowserLibDlg::OnRemove);
    connect(AddButton(IDC_CREATE, "&Create"), &QPushButton::clicked, this,
            &CBrowserLibDlg::OnCreateLibrary);
    connect(AddButton(IDC_DELETE, "&Del"), &QPushButton::clicked, this,
            &CBrowserLibDlg::OnDelComponent);
    connect(AddButton(IDC_PLACE, "&Place"), &QPushButton::clicked, this, &CBrowserLibDlg::OnPlace);
    connect(AddButton(IDC_CLOSE, "&Close"), &QPushButton::clicked, this, &QDialog::accept);

    connect(m_libraries, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(m_browser->Libraries().size()))
            m_browser->ChooseLibrary(m_browser->Libraries()[std::size_t(row)]);
    });
    connect(m_components, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(m_browser->Components().size()))
            m_browser->ChooseComponent(m_browser->Components()[std::size_t(row)]);
    });
    connect(m_components, &QListWidget::itemDoubleClicked, this, [this] { OnPlace(); });
    connect(m_find, &QLineEdit::textChanged, this, &CBrowserLibDlg::OnChangeFind);

    auto* libraryButtons = new QHBoxLayout;
    for (int id : {IDC_ADD, IDC_REMOVE, IDC_CREATE})
        libraryButtons->addWidget(Button(id));
    auto* left = new QVBoxLayout;
    left->addWidget(m_libraries);
    left->addLayout(libraryButtons);
    left->addWidget(m_preview, 1);

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(Numbered(new QLabel(QStringLiteral("Components"), this), IDC_FIND_LABEL));
    findRow->addWidget(m_find);
    auto* componentButtons = new QHBoxLayout;
    for (int id : {IDC_DELETE, IDC_PLACE, IDC_CLOSE})
        componentButtons->addWidget(Button(id));
    auto* right = new QVBoxLayout;
    right->addLayout(findRow);
    right->addWidget(m_components, 1);
    right->addLayout(componentButtons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 3);
    layout->addLayout(right, 2);
}

void CBrowserLibDlg::Refresh()
{
    // The preview first: it must never keep a component the browser let go.
    m_preview->SetComponent(m_browser->Preview());
    Show(m_libraries, ToList(m_browser->Libraries()));
    Show(m_components, ToList(m_browser->Components()));
    const QString shown = QtUiServices::ToQString(m_browser->ShownName());
    if (m_find->text() != shown) {
        const QSignalBlocker block(m_find);
        m_find->setText(shown);
    }
}

void CBrowserLibDlg::OnChangeFind(const QString& text)
{
    const int index = m_browser->Find(text.toStdString());
    // Brought into view; the list's selection stays as it is.
    if (QListWidgetItem* item = index >= 0 ? m_components->item(index) : nullptr)
        m_components->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void CBrowserLibDlg::OnPlace()
{
    std::unique_ptr<CComponent> copy = m_browser->ClonePreview();
    if (!copy)
        return;
    hide();
    // With nobody to take it the browser stays hidden until the view shows it again.
    if (m_place)
        m_place(std::move(copy));
}

void CBrowserLibDlg::OnAdd()
{
    m_browser->Add();
}

void CBrowserLibDlg::OnCreateLibrary()
{
    m_browser->Create();
}

void CBrowserLibDlg::OnRemove()
{
    std::vector<std::string> paths;
    for (int row = 0; row < m_libraries->count(); ++row)
        if (m_libraries->item(row)->isSelected() && row < int(m_browser->Libraries().size()))
            paths.push_back(m_browser->Libraries()[std::size_t(row)]);
    if (!paths.empty())
        m_browser->Remove(paths);
}

void CBrowserLibDlg::OnDelComponent()
{
    m_browser->DeleteComponent();
}

void CBrowserLibDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    TellVisibility();
}

void CBrowserLibDlg::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    TellVisibility();
}

void CBrowserLibDlg::TellVisibility()
{
    if (theInfomation)
        theInfomation->SetBrowserVisible(isVisible() ? 1 : 0);
}

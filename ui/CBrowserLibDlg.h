// The library browser (dialog 145): a modeless window beside the board that lists the
// open component libraries and the components of the chosen one, previews a component,
// finds one by the first letters of its name, adds, creates and removes libraries,
// deletes a component from its library and places a copy of one on the board. What it
// shows and the rules it follows are LibraryBrowser's; this window shows that state.
// The view keeps one browser and shows it again; closing only hides it.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class CComponent;
class CPreViewStatic;
class LibraryBrowser;
class LibrarySet;
class QLineEdit;
class QListWidget;
class QPushButton;

class CBrowserLibDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 145;
    static constexpr int IDC_LIBRARIES = 1023;
    static constexpr int IDC_COMPONENTS = 1027;
    static constexpr int IDC_FIND_LABEL = 1116;
    static constexpr int IDC_FIND = 1197;
    static constexpr int IDC_ADD = 1022;
    static constexpr int IDC_REMOVE = 1024;
    static constexpr int IDC_CREATE = 1026;
    static constexpr int IDC_DELETE = 1029;
    static constexpr int IDC_PLACE = 1025;
    static constexpr int IDC_CLOSE = 1;

    // Receives the copy of the component to place; the receiver owns it.
    using PlaceHandler = std::function<void(std::unique_ptr<CComponent>)>;

    // Lists the libraries of `set`, which must outlive the window.
    explicit CBrowserLibDlg(LibrarySet& set, QWidget* parent = nullptr);
    ~CBrowserLibDlg() override;

    void SetPlaceHandler(PlaceHandler handler) { m_place = std::move(handler); }

    LibraryBrowser& Browser() { return *m_browser; }
    QListWidget* LibraryList() const { return m_libraries; }
    QListWidget* ComponentList() const { return m_components; }
    CPreViewStatic* Preview() const { return m_preview; }
    QLineEdit* FindBox() const { return m_find; }
    // A button by its control id; null for none.
    QPushButton* Button(int id) const;

    // The buttons' work.
    void OnPlace();
    void OnAdd();
    void OnCreateLibrary();
    void OnRemove();
    void OnDelComponent();

  protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    void CreateControls();
    QPushButton* AddButton(int id, const char* text);
    // Shows the browser's state: both lists, the preview and the find box.
    void Refresh();
    void OnChangeFind(const QString& text);
    void TellVisibility();

    std::unique_ptr<LibraryBrowser> m_browser;
    PlaceHandler m_place;
    QListWidget* m_libraries = nullptr;
    QListWidget* m_components = nullptr;
    CPreViewStatic* m_preview = nullptr;
    QLineEdit* m_find = nullptr;
    QList<QPushButton*> m_buttons;
};

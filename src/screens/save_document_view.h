#pragma once

#include <QDialog>

class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace inkwarden {

class WritingStore;

// The sheet that names the current writing and saves it into the library.
// It only collects the name; the store cleans it, picks the file and reports
// failures through fileError. Main thread.
class SaveDocumentView : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 420;

    // The heading and the name are taken from the store at this moment.
    SaveDocumentView(WritingStore& store, QWidget* parent);

    QLineEdit* nameField() const { return m_name; }
    QPushButton* saveButton() const { return m_save; }

    // Saves under the name as typed and closes on success; on failure the
    // sheet stays open with the name unchanged.
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHBoxLayout* buildButtons();
    void updateSaveButton();

    WritingStore& m_store;
    QLineEdit* m_name = nullptr;
    QPushButton* m_save = nullptr;
};

} // namespace inkwarden

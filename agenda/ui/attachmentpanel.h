#pragma once

#include <QStringList>
#include <QWidget>

#include <array>

class QLabel;
class QListWidget;
class QPushButton;

namespace quindara {

// The right-hand column of the main window, visible on every page: the files attached to the selected
// day, for this year only (List1(0)) and for that day of every year (List1(1)).
class AttachmentPanel : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AttachmentPanel)

public:
    explicit AttachmentPanel(QWidget* window);

    void showLists(const QStringList& thisYear, const QStringList& everyYear);

    // Attach a file: 0 to this year's list, 1 to the every-year list.
    std::array<QPushButton*, 2> Command16{};
    // "Sólo este año", "Todos los años".
    std::array<QLabel*, 2> Label6{};
    std::array<QListWidget*, 2> List1{};
    // "Eliminar": remove the selected entry of List1 of the same index.
    std::array<QPushButton*, 2> Command17{};
    // "Carpeta Archivos": open the attachments folder.
    QPushButton* Command18 = nullptr;
};

} // namespace quindara

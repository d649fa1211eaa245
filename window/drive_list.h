// drvList: the mounted volumes, by the folder each one is mounted on;
// pseudo file systems (proc, sysfs and the like) are left out.
#pragma once

#include <QComboBox>
#include <filesystem>

namespace sormel {

class DriveList : public QComboBox {
    Q_OBJECT
public:
    // Lists the volumes and selects the one holding the current directory.
    explicit DriveList(QWidget* parent = nullptr);

    // The root folder of the selected volume.
    std::filesystem::path selectedDrive() const;
    // Selects the volume holding `folder`, without emitting driveChanged.
    void showDriveOf(const std::filesystem::path& folder);

signals:
    // The user picked another volume.
    void driveChanged();
};

}  // namespace sormel

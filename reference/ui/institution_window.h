#pragma once

#include "reference/ui/maintenance_window.h"

class Shell;

// TfmVELQBN01, "金融機構基本資料維護": the codes and names of the institutions in
// BN01, over a dataset of its own (qryBN01, in stored order). Only BANK_NO and
// BANK_NAME are maintained; a row added here has the other fields empty. The
// editing state is the main window's shared edit mode. After the window closes,
// the main window re-reads the declaring institution.
class TfmVELQBN01 : public MaintenanceWindow
{
    Q_OBJECT
public:
    explicit TfmVELQBN01(Shell &shell, QWidget *parent = nullptr);
};

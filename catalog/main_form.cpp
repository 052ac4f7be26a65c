// The catalogue window's creation and showing.
#include "catalog/main_form.h"

#include "data/connect_database.h"
#include "platform/error_guard.h"
#include "platform/settings.h"

#include <QShowEvent>

Tfrm_main *frm_main = nullptr;

Tfrm_main::Tfrm_main(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(QStringLiteral("Dazozizizavuv Korva"));
    Guarded([this] { FormCreate(); });
}

Tfrm_main::~Tfrm_main()
{
    if (frm_main == this)
        frm_main = nullptr;
}

void Tfrm_main::FormCreate()
{
    AppDir = ProgramFolder();
    TempDir = EnsureTrailingBackslash(TemporaryFolderFromEnvironment());
    MachineTag = MachineTagFrom(ComputerName());
    ConnectDatabase(QStringLiteral("SQL"), QString(), QStringLiteral("vc_korva"), QString(), QString());
}

void Tfrm_main::FormShow()
{
}

void Tfrm_main::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}

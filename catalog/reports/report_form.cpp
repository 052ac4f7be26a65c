// The report window's controls, their keys (Alt with the underlined letter of each
// caption, Enter for "Invia", Escape for "Annulla") and the checks made before anything
// is stored. The comment is plain text: it is shown, counted and stored as typed.
#include "catalog/reports/report_form.h"

#include "platform/messages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *readOnlyLine(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText); // catalogue texts are shown as written
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setAccessibleName(name == QLatin1String("LabelVeicolo") ? QStringLiteral("Veicolo")
                                                                   : QStringLiteral("Batteria"));
    label->setAccessibleDescription(text);
    return label;
}

QString vehicleText(const shop::FitReport &r)
{
    if (!r.vehicle)
        return QStringLiteral("nessun veicolo scelto");
    const shop::ReportedVehicle &v = *r.vehicle;
    QStringList parts;
    for (const QString &p : {v.make, v.model, v.version, v.fuel})
        if (!p.trimmed().isEmpty())
            parts << p.trimmed();
    QString years = v.yearFrom.trimmed();
    if (!v.yearTo.trimmed().isEmpty())
        years += QStringLiteral("\u2013") + v.yearTo.trimmed();
    if (!years.isEmpty())
        parts << years;
    return parts.join(QStringLiteral(" \u00b7 "))
           + QStringLiteral(" (idVeicolo %1; ktypnr %2)").arg(v.idVeicolo, v.ktypnrs.join(QStringLiteral(", ")));
}

QString batteryText(const shop::FitReport &r)
{
    if (r.code.trimmed().isEmpty())
        return QStringLiteral("nessuna batteria mostrata");
    return QStringLiteral("%1 \u00b7 %2").arg(r.priceList.trimmed(), r.code.trimmed());
}

} // namespace

Tfrm_segnala::Tfrm_segnala(const shop::FitReport &shown, CodeCheck checkCode, Filing file, QWidget *parent)
    : QDialog(parent), m_shown(shown), m_checkCode(std::move(checkCode)), m_file(std::move(file))
{
    setObjectName(QStringLiteral("frm_segnala"));
    setWindowTitle(QStringLiteral("Segnala un errore del catalogo"));
    setModal(true);
    resize(560, 300);

    LabelVeicolo = readOnlyLine(QStringLiteral("LabelVeicolo"), vehicleText(shown), this);
    LabelBatteria = readOnlyLine(QStringLiteral("LabelBatteria"), batteryText(shown), this);

    ComboMotivo = new QComboBox(this);
    ComboMotivo->setObjectName(QStringLiteral("ComboMotivo"));
    ComboMotivo->setAccessibleName(QStringLiteral("Motivo"));
    for (shop::ReportReason reason : shop::AllReasons())
        ComboMotivo->addItem(shop::ReasonText(reason), int(reason));
    // A vehicle without a battery listed can only lack one.
    if (shown.code.trimmed().isEmpty() && shown.vehicle)
        ComboMotivo->setCurrentIndex(int(shop::AllReasons().indexOf(shop::ReportReason::MissingBattery)));

    EditCodiceAdatto = new QLineEdit(this);
    EditCodiceAdatto->setObjectName(QStringLiteral("EditCodiceAdatto"));
    EditCodiceAdatto->setAccessibleName(QStringLiteral("Codice della batteria adatta"));
    EditCodiceAdatto->setPlaceholderText(QStringLiteral("il codice che monta davvero"));

    EditCommento = new QLineEdit(this);
    EditCommento->setObjectName(QStringLiteral("EditCommento"));
    EditCommento->setAccessibleName(QStringLiteral("Commento"));
    EditCommento->setPlaceholderText(QStringLiteral("che cosa non va (obbligatorio)"));
    LabelCaratteri = new QLabel(this);
    LabelCaratteri->setObjectName(QStringLiteral("LabelCaratteri"));

    EditOperatore = new QLineEdit(shown.operatorName, this);
    EditOperatore->setObjectName(QStringLiteral("EditOperatore"));
    EditOperatore->setAccessibleName(QStringLiteral("Operatore"));

    ButtonInvia = new QPushButton(QStringLiteral("&Invia"), this);
    ButtonInvia->setObjectName(QStringLiteral("ButtonInvia"));
    ButtonInvia->setAccessibleName(QStringLiteral("Invia"));
    ButtonInvia->setDefault(true);
    ButtonAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    ButtonAnnulla->setObjectName(QStringLiteral("ButtonAnnulla"));
    ButtonAnnulla->setAccessibleName(QStringLiteral("Annulla"));
    ButtonAnnulla->setToolTip(QStringLiteral("Chiude senza salvare (Esc)"));

    auto *form = new QFormLayout;
    auto caption = [this](const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    form->addRow(QStringLiteral("Veicolo:"), LabelVeicolo);
    form->addRow(QStringLiteral("Batteria:"), LabelBatteria);
    form->addRow(caption(QStringLiteral("&Motivo:"), ComboMotivo), ComboMotivo);
    form->addRow(caption(QStringLiteral("&Codice adatto:"), EditCodiceAdatto), EditCodiceAdatto);
    auto *commentRow = new QHBoxLayout;
    commentRow->addWidget(EditCommento, 1);
    commentRow->addWidget(LabelCaratteri);
    form->addRow(caption(QStringLiteral("Commen&to:"), EditCommento), commentRow);
    form->addRow(caption(QStringLiteral("&Operatore:"), EditOperatore), EditOperatore);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonInvia);
    buttons->addWidget(ButtonAnnulla);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setTabOrder(ComboMotivo, EditCodiceAdatto);
    setTabOrder(EditCodiceAdatto, EditCommento);
    setTabOrder(EditCommento, EditOperatore);
    setTabOrder(EditOperatore, ButtonInvia);
    setTabOrder(ButtonInvia, ButtonAnnulla);
    setTabOrder(ButtonAnnulla, LabelVeicolo);
    setTabOrder(LabelVeicolo, LabelBatteria);

    connect(ComboMotivo, &QComboBox::currentIndexChanged, this, &Tfrm_segnala::reasonChanged);
    connect(EditCommento, &QLineEdit::textChanged, this, &Tfrm_segnala::commentChanged);
    connect(ButtonInvia, &QPushButton::clicked, this, &Tfrm_segnala::ButtonInviaClick);
    connect(ButtonAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    reasonChanged();
    commentChanged();
    ComboMotivo->setFocus();
}

shop::FitReport Tfrm_segnala::typedReport() const
{
    shop::FitReport r = m_shown;
    r.reason = shop::ReportReason(ComboMotivo->currentData().toInt());
    r.comment = EditCommento->text();
    r.operatorName = EditOperatore->text().trimmed();
    r.fittingCode = r.reason == shop::ReportReason::MissingBattery ? EditCodiceAdatto->text().trimmed() : QString();
    return r;
}

void Tfrm_segnala::reasonChanged()
{
    const bool missing = shop::ReportReason(ComboMotivo->currentData().toInt()) == shop::ReportReason::MissingBattery;
    EditCodiceAdatto->setEnabled(missing);
}

void Tfrm_segnala::commentChanged()
{
    const int used = shop::CodePointCount(EditCommento->text());
    LabelCaratteri->setText(QStringLiteral("%1/%2").arg(used).arg(shop::kMaxCommentLength));
    QPalette palette = LabelCaratteri->palette();
    palette.setColor(QPalette::WindowText, used > shop::kMaxCommentLength ? Qt::red : QColor(Qt::black));
    LabelCaratteri->setPalette(palette);
    LabelCaratteri->setAccessibleName(
        QStringLiteral("Caratteri del commento: %1 di %2").arg(used).arg(shop::kMaxCommentLength));
}

void Tfrm_segnala::ButtonInviaClick()
{
    const shop::FitReport report = typedReport();
    if (const std::optional<QString> problem = shop::FilingProblem(report)) {
        messages().ShowMessage(*problem);
        return;
    }
    if (report.reason == shop::ReportReason::MissingBattery && m_checkCode) {
        if (const std::optional<QString> problem = m_checkCode(report.fittingCode)) {
            messages().ShowMessage(*problem);
            EditCodiceAdatto->setFocus();
            return;
        }
    }
    try {
        m_filed = m_file(report);
    } catch (const std::exception &e) {
        // Nothing typed is lost: the window stays as it is, to try again.
        messages().ShowMessage(QStringLiteral("Segnalazione non salvata: ") + QString::fromUtf8(e.what()));
        return;
    }
    accept();
}

#include "ui/aboutdialog.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

struct AboutDialog::Form
{
    QLabel *label, *labelTitle, *label_4, *label_9, *label_3, *label_2, *label_7;
    QFrame* line;
};

namespace {

QString caption(const char* text)
{
    return QCoreApplication::translate("AboutDialog", text);
}

QSpacerItem* gap()
{
    return new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
}

QLabel* textLabel(QWidget* parent, const char* name, const QString& text, bool sized = true,
                  bool bold = false)
{
    QLabel* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    if (sized) {
        QFont f = l->font();
        f.setPointSize(10);
        f.setBold(bold);
        l->setFont(f);
    }
    l->setAlignment(Qt::AlignCenter);
    l->setText(text);
    return l;
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(new Form)
{
    setObjectName(QStringLiteral("AboutDialog"));
    resize(550, 271);
    setMinimumSize(550, 271);
    setMaximumSize(550, 271);
    setWindowTitle(caption("About"));

    QHBoxLayout* outer = new QHBoxLayout(this);
    ui->label = new QLabel(this);
    ui->label->setObjectName(QStringLiteral("label"));
    ui->label->setPixmap(QPixmap(QStringLiteral(":/Resources/Boxshot.png")));
    ui->label->setAlignment(Qt::AlignCenter);
    outer->addWidget(ui->label);
    ui->line = new QFrame(this);
    ui->line->setObjectName(QStringLiteral("line"));
    ui->line->setFrameShape(QFrame::VLine);
    ui->line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(ui->line);

    QVBoxLayout* column = new QVBoxLayout();
    outer->addLayout(column);
    const QString version = QStringLiteral(GLYPHWRIGHT_VERSION);
    ui->labelTitle = textLabel(this, "labelTitle", caption("Glyphwright Version ") + version, true, true);
    column->addWidget(ui->labelTitle);
    column->addItem(gap());
    ui->label_4 = textLabel(this, "label_4", caption("\u00a9 2026 Mossgate Software"));
    column->addWidget(ui->label_4);
    ui->label_9 = textLabel(this, "label_9",
                            caption("<a href=\"https://mossgate.example/glyphwright\">"
                                    "<span style=\"text-decoration: underline; color:#0000ff;\">"
                                    "mossgate.example/glyphwright</span></a>"));
    ui->label_9->setTextFormat(Qt::RichText);
    ui->label_9->setOpenExternalLinks(true);
    column->addWidget(ui->label_9);
    column->addItem(gap());
    ui->label_3 =
        textLabel(this, "label_3",
                  caption("<span style=\"font-size:10pt;\">Artwork: Phosphor Icons (MIT),<br>Fluent Emoji "
                          "by Microsoft (MIT),<br>Material Icons by Google (Apache 2.0)</span>"),
                  false);
    ui->label_3->setTextFormat(Qt::RichText);
    column->addWidget(ui->label_3);
    column->addItem(gap());
    ui->label_2 = textLabel(this, "label_2", caption("Glyphwright uses the following library:"));
    column->addWidget(ui->label_2);
    ui->label_7 = textLabel(this, "label_7", caption("Qt Open Source - https://www.qt.io"));
    column->addWidget(ui->label_7);
    column->addItem(gap());
    QMetaObject::connectSlotsByName(this);

    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->labelTitle->setText(caption("Glyphwright Version ") + version);
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

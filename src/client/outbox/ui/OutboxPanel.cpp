#include "client/outbox/ui/OutboxPanel.h"

#include "client/outbox/ui/OutboxController.h"
#include "common/Installation.h"
#include "ui/BackColour.h"
#include "ui/PanelWidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace PanelWidgets;

OutboxPanel::OutboxPanel(ClientSettings& settings, const Installation& installation,
                         QWidget* parent)
    : QWidget(parent) {
    Frame10 = named(new QGroupBox("Outbox", this), "Frame10");
    auto* out = new QGridLayout(Frame10);
    outbox = named(new QListWidget(Frame10), "outbox");
    outbox->setAccessibleName(Frame10->title());
    outbox->setAccessibleDescription("Double-click a message to see its details");
    Picture12 = pictureButton(Frame10, "Picture12", "delete", "Delete selected message", "Delete");
    Picture1 = pictureButton(Frame10, "Picture1", "clear", "Remove all messages", "Remove All");
    Picture9 = pictureButton(Frame10, "Picture9", "accepted", "Accepted Messages", "Accepted");
    Picture15 = pictureButton(Frame10, "Picture15", "failed", "Failed Messages", "Failed");
    out->addWidget(outbox, 0, 0, 1, 5);
    out->addWidget(Picture12, 1, 0);
    out->addWidget(Picture1, 1, 1);
    out->addWidget(Picture9, 1, 2);
    out->addWidget(Picture15, 1, 3);
    out->setColumnStretch(4, 1);
    column(this)->addWidget(Frame10);

    ListCellnet = named(new QListWidget(this), "ListCellnet");
    ListCellnet->hide();
    schedulebox = named(new QListWidget(this), "schedulebox");
    schedulebox->hide();

    m_controller = std::make_unique<OutboxController>(*this, settings, installation);
}

OutboxPanel::~OutboxPanel() = default;

bool OutboxPanel::hasEntries() const {
    return outbox->count() > 0;
}

void OutboxPanel::applyBackColour(const std::optional<Colour>& colour) {
    for (QWidget* w : {static_cast<QWidget*>(Frame10), static_cast<QWidget*>(Picture1),
                       static_cast<QWidget*>(Picture9), static_cast<QWidget*>(Picture15)})
        paintBackground(w, colour);
}

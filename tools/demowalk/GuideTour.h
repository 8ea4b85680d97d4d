#pragma once

#include "common/MessageBox.h"

#include <QByteArray>
#include <QPixmap>
#include <memory>

class DemoWalk;

// While it lives, every message box is shown as the program shows it, pictured
// once per text and answered with its default button.
std::unique_ptr<MessageBox::Presenter> shootEveryBox(DemoWalk& walk);

// A window of another program (Brindle's), found on the X screen by its title.
// Empty where there is no X screen or no such window.
QPixmap grabForeignWindow(const QByteArray& title);

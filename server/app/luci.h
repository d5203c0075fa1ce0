// The server's lights drawn for Qt: the notification-area icon and the
// toolbar light.
#pragma once

#include <QIcon>

namespace qod {

// The icon of light i: a round light in the colour of `Sem`(i).
QIcon Icona_Sem(int i);

}  // namespace qod

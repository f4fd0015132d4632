#include "card/RecordCard.h"

#include "card/frmSD1.h"
#include "core/ChildWindows.h"
#include "platform/ui/Messages.h"

#include <QApplication>

namespace card {

void showRecordCard()
{
    frmSD1 card(QApplication::activeWindow());
    if (!card.isLoaded())
        return;
    ui::execDialog(&card);
}

void registerRecordCard()
{
    core::windowFactories().showRecordCard = showRecordCard;
}

} // namespace card

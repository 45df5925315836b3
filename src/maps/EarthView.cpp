#include "maps/EarthView.h"

#include "orbit/Catalogue.h"

TEarthView::~TEarthView()
{
    ClearSatellites();
}

void TEarthView::ClearSatellites()
{
    FreeSatellites(Satellites);
}

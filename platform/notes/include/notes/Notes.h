// The whole Notes class library.
#pragma once

#include "notes/FaultTable.h"
#include "notes/LNAttachment.h"
#include "notes/LNCalendarEntry.h"
#include "notes/LNDatabase.h"
#include "notes/LNDatetime.h"
#include "notes/LNGlobal.h"
#include "notes/LNItem.h"
#include "notes/LNNote.h"
#include "notes/LNNotesSession.h"
#include "notes/LNRichText.h"
#include "notes/LNString.h"
#include "notes/LNViewFolder.h"

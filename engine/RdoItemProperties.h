// The property puts on RDO items, by DISPID, in one place: the contact
// conversion's (on contact items, named RdoMessage_Put and the DISPID) and
// the calendar conversion's (on appointment items). A DISPID may mean one
// property on a contact and another on an appointment, as 0x6004001A does.
#pragma once

#include "afx/OleDispatchDriver.h"

// The four kinds of put; a failing put throws the driver's exception.
void RdoPutText(COleDispatchDriver& item, DISPID property, LPCWSTR text);
void RdoPutDate(COleDispatchDriver& item, DISPID property, DATE value);
void RdoPutBool(COleDispatchDriver& item, DISPID property, BOOL value);
void RdoPutLong(COleDispatchDriver& item, DISPID property, LONG value);

// Contact items.
inline void RdoMessage_Put6004004D(COleDispatchDriver& c, LPCWSTR firstName) { RdoPutText(c, 0x6004004D, firstName); }
inline void RdoMessage_Put60040077(COleDispatchDriver& c, LPCWSTR jobTitle) { RdoPutText(c, 0x60040077, jobTitle); }
inline void RdoMessage_Put60040083(COleDispatchDriver& c, LPCWSTR lastName) { RdoPutText(c, 0x60040083, lastName); }
inline void RdoMessage_Put60040096(COleDispatchDriver& c, LPCWSTR middle) { RdoPutText(c, 0x60040096, middle); }
inline void RdoMessage_Put6004001A(COleDispatchDriver& c, LPCWSTR officeFax) { RdoPutText(c, 0x6004001A, officeFax); }
inline void RdoMessage_Put6004006B(COleDispatchDriver& c, LPCWSTR homeFax) { RdoPutText(c, 0x6004006B, homeFax); }
inline void RdoMessage_Put60040051(COleDispatchDriver& c, LPCWSTR fullName) { RdoPutText(c, 0x60040051, fullName); }
inline void RdoMessage_Put6004009E(COleDispatchDriver& c, LPCWSTR shortName) { RdoPutText(c, 0x6004009E, shortName); }
inline void RdoMessage_Put60040035(COleDispatchDriver& c, LPCWSTR address) { RdoPutText(c, 0x60040035, address); }
inline void RdoMessage_Put6004002D(COleDispatchDriver& c, LPCWSTR company) { RdoPutText(c, 0x6004002D, company); }
inline void RdoMessage_Put60040086(COleDispatchDriver& c, LPCWSTR mail) { RdoPutText(c, 0x60040086, mail); }
inline void RdoMessage_Put6004008A(COleDispatchDriver& c, LPCWSTR country) { RdoPutText(c, 0x6004008A, country); }
inline void RdoMessage_Put60040008(COleDispatchDriver& c, DATE birthday) { RdoPutDate(c, 0x60040008, birthday); }
inline void RdoMessage_Put60040002(COleDispatchDriver& c, DATE anniversary) { RdoPutDate(c, 0x60040002, anniversary); }
inline void RdoMessage_Put60040033(COleDispatchDriver& c, LPCWSTR department) { RdoPutText(c, 0x60040033, department); }
inline void RdoMessage_Put600400BA(COleDispatchDriver& c, LPCWSTR miscPhone) { RdoPutText(c, 0x600400BA, miscPhone); }
inline void RdoMessage_Put6004002B(COleDispatchDriver& c, LPCWSTR phone) { RdoPutText(c, 0x6004002B, phone); }
inline void RdoMessage_Put60040098(COleDispatchDriver& c, LPCWSTR cellPhone) { RdoPutText(c, 0x60040098, cellPhone); }

// Appointment items.
inline void RdoItem_PutSubject(COleDispatchDriver& a, LPCWSTR subject) { RdoPutText(a, 0x0, subject); }
inline void RdoItem_PutFyiAttendees(COleDispatchDriver& a, LPCWSTR names) { RdoPutText(a, 0x9, names); }
inline void RdoItem_PutBody(COleDispatchDriver& a, LPCWSTR body) { RdoPutText(a, 0xB, body); }
inline void RdoItem_PutCategories(COleDispatchDriver& a, LPCWSTR category) { RdoPutText(a, 0xD, category); }
inline void RdoItem_PutReminderSet(COleDispatchDriver& a, BOOL on) { RdoPutBool(a, 0x2D, on); }
inline void RdoItem_Put60040000(COleDispatchDriver& a, BOOL allDay) { RdoPutBool(a, 0x60040000, allDay); }
inline void RdoItem_PutEnd(COleDispatchDriver& a, DATE end) { RdoPutDate(a, 0x6004000A, end); }
inline void RdoItem_Put6004001A(COleDispatchDriver& a, LONG value) { RdoPutLong(a, 0x6004001A, value); }
inline void RdoItem_PutOptionalAttendees(COleDispatchDriver& a, LPCWSTR names) { RdoPutText(a, 0x6004002A, names); }
inline void RdoItem_PutReminderMinutes(COleDispatchDriver& a, LONG minutes) { RdoPutLong(a, 0x6004002F, minutes); }
inline void RdoItem_PutRequiredAttendees(COleDispatchDriver& a, LPCWSTR names) { RdoPutText(a, 0x6004003B, names); }
inline void RdoItem_PutResources(COleDispatchDriver& a, LPCWSTR names) { RdoPutText(a, 0x6004003D, names); }
inline void RdoItem_PutStart(COleDispatchDriver& a, DATE start) { RdoPutDate(a, 0x60040042, start); }
inline void RdoItem_PutLocation(COleDispatchDriver& a, LPCWSTR location) { RdoPutText(a, 0x60040049, location); }

#pragma once

#include <QString>

class QTextDocument;

// Stand-in for the platform text view's automatic link detection: replaces
// the document's content with `text`, turning web addresses and e-mail
// addresses into links. The plain text stays `text`, except that the
// document keeps its line breaks ("\r\n", "\r", U+2028, U+2029) as "\n":
//   "See https://help.example.com/kb." -> link "https://help.example.com/kb"
//   "www.example.com"                  -> link to "http://www.example.com"
//   "it@example.com"                   -> link to "mailto:it@example.com"
void SetTextWithDetectedLinks(QTextDocument& document, const QString& text, bool detectLinks);

#include "publishing/StyleSheet.h"

namespace {

// Written unchanged, percent signs included. Rules of one or two short
// declarations stand on one line.
const char kStyleSheet[] = R"css(<!--
/*
 * The Daily APT Log: style sheet of the daily page.
 * Written by Orvanta; edit this copy ("index.css") to restyle the page
 * and switch on the custom style sheet in the log settings.
 */
body {
  color: #001;
  font-weight: normal;
  font-size: 12px;
  font-family: Verdana, Arial, Helvetica, sans-serif;
  text-decoration: none;
  background-color: #E7E2D6;
  padding: 0px;
  margin: 0px;
}

div.mainbox {
  width: 728px;
  margin-left: auto;
  margin-right: auto;
}
div.mainwin {
  border: 1px solid #777;
  width: 726px;
  background-color: #E2E2E3;
  margin: 20px auto 20px auto;
  height: 100%;
  min-height:100%;
}

div.daily {
  padding: 0px 0px 5px 0px;
  margin: 20px;
  border-bottom: 1px dotted #000;
}
div.daily h1 { display: inline; margin-left: 0px; }
h1 { font-size: 20px; }
div.spacer { clear:both; }

td.maintd {
  border: 1px #777 solid;
  background-color: #fff;
}
h2 {
  font-family: verdana, arial, helvetica, sans-serif;
  font-size: 18px;
  font-weight: bold;
  margin: 15px 0px 0px 10px;
}
p.mainp { margin: 0 20px 5px 20px; }
p.backp {
  float: right;
  margin: -15px 0px 0px 0px;
}

div.imagebox blockquote {
  margin: 10px;
  padding: 10px;
  background-color: #B5C4D2;
  border: 1px dotted #000000;
}
div.satdata blockquote {
  background-color: #ccc;
  border: 1px dotted #000;
  margin: 10px;
  padding: 15px;
  width: auto;
}

table.satdatatable {
  background-color: #ccc;
  border-collapse: collapse;
  border: 1px solid #000;
  margin: 10px auto 10px auto;
  padding: 10px 0px 10px 0px;
}
table.satdatatable th {
  border-style: none;
  text-align: left;
  padding: 4px;
}
table.satdatatable td {
  border-collapse: collapse;
  border: 1px solid #000;
  text-align: left;
  padding: 3px 4px 3px 4px;
}

table.thumb {
  clear: both;
  background-color: #eee;
  border-collapse: collapse;
  margin: 5px auto 5px auto;
  padding: 5px;
}
table.thumb td {
  margin: 5px;
  padding: 5px;
  border: 1px solid #000;
  background-color: #eee;
  text-align: center;
  vertical-align: top;
}
table.thumb a { border: 1px solid #0000ff; }
table.thumb a:active, table.thumb a:hover { border: 1px solid #4169E1; }
table.thumb a:visited { border: 1px solid #800080; }

div.footer blockquote {
  background-color: #fff;
  border: thin dotted #000;
  margin: 10px 10px 15px 10px;
  padding: 0px;
  width: auto;
}

a { color: #0000ff; text-decoration: none; }
a:visited, a:active { color: #800080; text-decoration: none; }
a:hover { color: #4169E1; text-decoration: underline; }

a.xmlButton:link, a.xmlButton:visited, a.xmlButton:hover {
  text-decoration: none;
}
div.xmlButton {
  margin: 5px 0px 5px 0px;
  margin: -15px 0px 0px 0px;
}
span.xmlButton {
  border: 1px solid;
  border-color: #FC9 #630 #330 #F96;
  padding: 0 3px;
  font: bold 10px verdana,sans-serif;
  color: #FFF;
  background: #F60;
  text-decoration: none;
}
a.feedlink:link {
  font: normal 12px helvetica,arial,sans-serif;
  margin-left: 0px;
}
a.feedlink:hover { text-decoration: underline; }

div.w3cbutton {
  margin: 5px;
  width: 10em;
  border: 1px solid #ccc;
  font-family: helvetica,arial,sans-serif;
  font-size: 11px;
  font-weight: bold;
  line-height: normal;
}
div.w3cbutton a {
  display: block;
  width: 100%;
}
div.w3cbutton a:link, div.w3cbutton a:visited, div.w3cbutton a:hover {
  background-color: #fc6;
  color: #000;
  text-decoration: none;
}
div.w3cbutton span.w3c {
  padding: 0 0.4em;
  background-color: #fff;
  color: #0c479d;
}
div.w3cbutton span.w3cspec { padding: 0 0.5em; }

ol.footer {
  list-style-type: decimal;
  margin-top: 0px;
  margin-left: 50px;
}
ol { margin-top: 10px; }
.links {
  font-size: 12px;
  font-family: helvetica,arial,sans-serif;
}
// -->
)css";

// The pop-up window shows one image on a beige page. The closing tags are
// written as "<\/", which JavaScript reads as "</" and an HTML parser does
// not take for the end of the script element. The title and address are
// escaped again for the pop-up's own HTML.
const char kPopupScript[] = R"js(var apopup = 0;
function popup_escape(s) {
  return String(s).replace(/[&]/g, '&amp;').replace(/[<]/g, '&lt;').replace(/[>]/g, '&gt;')
    .replace(/["]/g, '&quot;').replace(/[']/g, '&#39;');
}
function popUp(url, title) {
  if (apopup && !apopup.closed) {
    apopup.focus();
    apopup.document.clear();
  } else {
    apopup = window.open('', 'aptpopup',
      'toolbar=0,status=0,menubar=0,scrollbars=1,resizable=1,width=800,height=600');
  }
  if (!apopup)
    return;
  var d = apopup.document;
  title = popup_escape(title);
  url = popup_escape(url);
  d.open();
  d.write('<html><head><title>' + title + '<\/title><\/head>');
  d.write('<body style="background-color:#F5F5DC;">');
  d.write('<table style="border-collapse:collapse;"><tr><td style="border:1px solid #000080;">');
  d.write('<img src="' + url + '" alt="' + title + '">');
  d.write('<\/td><\/tr><\/table><\/body><\/html>');
  d.close();
  apopup.focus();
}
function close_apopup() {
  if (apopup && !apopup.closed)
    apopup.close();
}
)js";

}  // namespace

QByteArray DefaultStyleSheetText() { return QByteArray(kStyleSheet); }

bool WriteDefaultStyleSheet(QIODevice& file)
{
    const QByteArray text = DefaultStyleSheetText();
    return file.write(text) == text.size();
}

QByteArray PopupScriptText() { return QByteArray(kPopupScript); }

// Builds the address that hands a page to Fennix Pro: "pelqa://" and the Base64 of UTF-8
// key=value pairs joined by "-QV-GUES-".
function pelqaAddress(pageUrl, browserName) {
  const text = "pageUrl=" + pageUrl + "-QV-GUES-browser=" + browserName;
  const bytes = new TextEncoder().encode(text);
  let binary = "";
  for (const b of bytes) binary += String.fromCharCode(b);
  return "pelqa://" + btoa(binary);
}

function browserName() {
  return (typeof navigator !== "undefined" && /Firefox\//.test(navigator.userAgent)) ? "Firefox" : "Chrome";
}

// The toolbar button and the context menu hand the page (or the link or video under the
// pointer) to Fennix Pro through its pelqa address; the system asks which program opens it.
if (typeof importScripts === "function" && typeof pelqaAddress === "undefined") {
  importScripts("pelqa.js");
}

const api = (typeof browser !== "undefined") ? browser : chrome;
const MenuId = "fennixpro-download";

function sendToFennix(tabId, address) {
  if (!address || !/^https?:/i.test(address)) return;
  api.tabs.update(tabId, { url: pelqaAddress(address, browserName()) });
}

api.action.onClicked.addListener((tab) => sendToFennix(tab.id, tab.url));

api.runtime.onInstalled.addListener(() => {
  api.contextMenus.create({
    id: MenuId,
    title: "Download with Fennix Pro",
    contexts: ["page", "link", "video"]
  });
});

api.contextMenus.onClicked.addListener((info, tab) => {
  if (info.menuItemId !== MenuId) return;
  sendToFennix(tab.id, info.linkUrl || info.srcUrl || info.pageUrl || tab.url);
});

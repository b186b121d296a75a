// Written for the oldest browsers too, so that one without what the page needs is told in words
// instead of showing a page that does nothing.
(function () {
  var missing = [];
  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function")
    missing.push("WebAssembly");
  if (typeof Worker !== "function" || typeof Blob !== "function" || !window.URL ||
      typeof URL.createObjectURL !== "function")
    missing.push("Web Worker");
  if (typeof Promise !== "function" || typeof TextEncoder !== "function") missing.push("ES2017");
  window.valdrexUnsupported = missing.length > 0;
  if (!missing.length) return;
  document.addEventListener("DOMContentLoaded", function () {
    var box = document.getElementById("unsupported");
    box.appendChild(document.createTextNode(
        "这个浏览器缺少本页需要的功能（" + missing.join("、") + "），不能在这里统计成绩。" +
        "请用近三年内的 Microsoft Edge 或 Google Chrome 打开本页；360 浏览器、QQ 浏览器请切换到" +
        "极速模式（地址栏右侧的闪电图标）。"));
    box.hidden = false;
    box.style.display = "block";
    document.getElementById("app").style.display = "none";
  });
})();

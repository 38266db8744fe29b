document.addEventListener("click", () => {});
document.documentElement.dataset.bound = "";

// The margins of the first @page rule that sets any, as [top, right, bottom, left] texts.
(() => {
    for (const sheet of Array.from(document.styleSheets)) {
        let rules;
        try { rules = sheet.cssRules; } catch (e) { continue; }
        for (const rule of Array.from(rules)) {
            if (!(rule instanceof CSSPageRule))
                continue;
            const sides = ['top', 'right', 'bottom', 'left'].map(s => rule.style.getPropertyValue('margin-' + s));
            if (sides.some(v => v))
                return sides;
        }
    }
    return [];
})();

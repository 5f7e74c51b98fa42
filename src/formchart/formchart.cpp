// form

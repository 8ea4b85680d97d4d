#pragma once

#include "client/recipients/SingleContact.h"

#include <QObject>
#include <QString>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

// A set of Single Contact fields outside the main window (the Group
// Manager's add-number dialog): the name and mobile filters, the labels'
// weights and the focus after a refusal, and the clearing.
class SingleContactFields : public QObject {
    Q_OBJECT
public:
    // `keyRefusal`: what a bad key in the mobile field is answered with.
    SingleContactFields(QLabel* nameLabel, QLineEdit* name, QLabel* mobileLabel, QLineEdit* mobile,
                        QComboBox* country, QString keyRefusal, QObject* parent = nullptr);

    // The name, mobile and country controls, made in `parent` and laid out
    // in the first three rows of `grid`.
    struct Controls {
        QLabel* nameLabel;
        QLineEdit* name;
        QLabel* mobileLabel;
        QLineEdit* mobile;
        QComboBox* countryCode;
    };
    static Controls build(QWidget* parent, QGridLayout* grid);

    SingleContact::Fields fields() const;
    // Label weights, message, selection and focus, in that order.
    void apply(const SingleContact::Outcome& outcome);
    // Empty fields, normal labels, the country box usable and reset.
    void clear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void nameChanged();
    void mobileChanged();
    bool mobileKey(QChar key);

    QLabel* m_nameLabel;
    QLineEdit* m_name;
    QLabel* m_mobileLabel;
    QLineEdit* m_mobile;
    QComboBox* m_country;
    QString m_keyRefusal;
    bool m_filtering = false;
};
